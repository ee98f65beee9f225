#include "reader/display_setting.h"

namespace {

int32_t gRequested = -1;

}  // namespace

void RequestDisplayMode(int32_t mode) {
    gRequested = mode;
}
int32_t RequestedDisplayMode() {
    return gRequested;
}
