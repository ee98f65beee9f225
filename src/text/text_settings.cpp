#include "text/text_settings.h"

namespace {

constexpr int32_t kUnboundAsciiBase = 1488;
const int32_t* gAsciiBase = nullptr;
const uint32_t* gViewFlags = nullptr;

}  // namespace

void BindTextSettings(const int32_t* asciiBase, const uint32_t* viewFlags) {
    gAsciiBase = asciiBase;
    gViewFlags = viewFlags;
}

int32_t CurrentAsciiBase() {
    return gAsciiBase ? *gAsciiBase : kUnboundAsciiBase;
}

uint32_t CurrentViewFlags() {
    return gViewFlags ? *gViewFlags : 0;
}
