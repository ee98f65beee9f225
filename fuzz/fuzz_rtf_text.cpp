// The RTF reader behind the clipboard's text flavour, on arbitrary bytes: whatever another
// program's document holds, reading it ends, stays inside the input and gives at most one
// character per input byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/user/rtf_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string rtf(reinterpret_cast<const char*>(data), size);
    std::u16string text = RtfToText(rtf);
    if (text.size() > size) std::abort();
    return 0;
}
