// The registry file parser on arbitrary bytes. Whatever it reads must survive writing and
// reading again unchanged: a value the program could read is never lost or altered by a save.
// Every value is also read back through the registry calls, as the reader reads its settings
// (an empty value, a number of any size).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_file.h"

namespace {

void ReadThroughTheCalls(const std::string& text, const RegDocument& doc) {
    static const std::string file = "/tmp/fuzz_registry-" + std::to_string(getpid()) + ".reg";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    SetRegistryFile(file);
    for (const RegKey& k : doc.keys) {
        constexpr size_t kRoot = 18;  // "HKEY_CURRENT_USER\\"
        if (k.path.size() <= kRoot) continue;
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, k.path.c_str() + kRoot, 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            continue;
        for (const RegValue& v : k.values) {
            DWORD type = 0, size = 0;
            if (RegQueryValueEx(key, v.name.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS)
                continue;
            std::vector<BYTE> buffer(size_t(size) + 1);
            DWORD got = size;
            if (RegQueryValueEx(key, v.name.c_str(), nullptr, &type, buffer.data(), &got) !=
                    ERROR_SUCCESS ||
                got != size)
                std::abort();
        }
        RegCloseKey(key);
    }
    unlink(file.c_str());
    unlink((file + ".lock").c_str());
}

}  // namespace

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
    if (!first.corrupt()) ReadThroughTheCalls(text, first);
    return 0;
}
