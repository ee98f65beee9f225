// Container unpacking and UnCompress on arbitrary bytes: the file is taken as a container in
// both record layouts, and its tail as a bare stream. Every list that comes back is walked to
// its end, as the layouts do.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/font_engine.h"
#include "platform/font_synthetic.h"
#include "platform/heap.h"
#include "platform/host/host_headless.h"
#include "platform/inspect.h"
#include "platform/user.h"
#include "platform/win32_constants.h"
#include "store/record_list.h"
#include "store/records.h"
#include "store/uncompress.h"

namespace {

// A headless screen that presses OK on every message box ("UnCompress() buffer error!").
HeadlessHost& Screen() {
    static HeadlessHost* host = [] {
        auto* h = new HeadlessHost(240, 320);
        InstallFontEngine(MakeSyntheticEngine());
        h->SetIdleHook([] {
            ModalInfo info;
            if (!DescribeActiveModal(&info)) return false;
            PostMessage(info.window, WM_COMMAND, IDOK, 0);
            return true;
        });
        return h;
    }();
    return *host;
}

size_t WalkList(const uint8_t* list, RecordLayout layout) {
    size_t bytes = 0;
    for (const uint8_t* r = list; !IsListEnd(r, layout); r = NextRecord(r, layout)) {
        bytes += RecordIndent(r, layout);
        for (const uint8_t* t = RecordText(r, layout); *t; ++t) bytes += *t;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Screen();
    // An exact-size heap copy, so that a read past the container is a finding.
    std::vector<uint8_t> container(data, data + size);
    volatile size_t sink = 0;
    for (RecordLayout layout : {RecordLayout::Article, RecordLayout::Index}) {
        if (uint8_t* list = UnpackContainer(container.data(), container.size(), layout)) {
            sink = sink + WalkList(list, layout);
            HeapFreeBlock(list);
        }
    }
    if (size > 2) {
        std::vector<uint8_t> stream(data + 2, data + size);
        const unsigned expanded = (data[0] << 8 | data[1]) & 0x3FFF;
        if (uint8_t* out = UnCompress(stream.data(), static_cast<unsigned>(stream.size()), expanded)) {
            if (out[expanded] != 0) __builtin_trap();
            HeapFreeBlock(out);
        }
    }
    return 0;
}
