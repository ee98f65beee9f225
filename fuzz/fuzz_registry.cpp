// The registry file parser on arbitrary bytes. Whatever it reads must survive writing and
// reading again unchanged: a value the program could read is never lost or altered by a save.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/registry/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    RegDocument first = ParseRegistryText(text);
    std::string written = FormatRegistryText(first);
    RegDocument second = ParseRegistryText(written);
    if (second.corrupt()) std::abort();
    if (first.keys.size() != second.keys.size()) std::abort();
    for (size_t k = 0; k < first.keys.size(); ++k) {
        const RegKey& a = first.keys[k];
        const RegKey& b = second.keys[k];
        if (a.values.size() != b.values.size()) std::abort();
        for (size_t v = 0; v < a.values.size(); ++v) {
            if (a.values[v].type != b.values[v].type || a.values[v].data != b.values[v].data)
                std::abort();
        }
    }
    return 0;
}
