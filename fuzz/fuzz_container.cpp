// Container unpacking and UnCompress on arbitrary bytes: the file is taken as a container in
// both record layouts, and its tail as a bare stream. Every list that comes back is walked to
// its end, as the layouts do.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/font_engine.h"
#include "platform/gdi/font_synthetic.h"
#include "platform/heap.h"
#include "platform/host/host_headless.h"
#include "platform/user/screen_query.h"
#include "platform/user/user.h"
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

// Whether the reader's expansion of this container will complete; the message box that an
// incomplete one shows runs a whole modal dialog, so most of those are only expanded silently.
bool WillExpand(const std::vector<uint8_t>& c) {
    if (c.size() < kContainerHeaderSize) return false;
    const size_t body = (c[0] << 8) | c[1];
    const size_t compressed = (c[6] << 8) | c[7], expanded = (c[8] << 8) | c[9];
    if (body < 5 || compressed == 0 || expanded == 0) return false;
    const size_t stream = std::min({compressed, body - 4, c.size() - kContainerHeaderSize});
    std::vector<uint8_t> out(expanded);
    return ExpandStream(c.data() + kContainerHeaderSize, stream, out.data(), out.size()).result ==
           Expansion::Complete;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Screen();
    // Exact-size heap copies, so that a read past the container or stream is a finding.
    std::vector<uint8_t> container(data, data + size);
    volatile size_t sink = 0;
    if (WillExpand(container) || size % 64 == 0) {
        for (RecordLayout layout : {RecordLayout::Article, RecordLayout::Index}) {
            if (uint8_t* list = UnpackContainer(container.data(), container.size(), layout)) {
                sink = sink + WalkList(list, layout);
                HeapFreeBlock(list);
            }
        }
    }
    if (size > 2) {
        std::vector<uint8_t> stream(data + 2, data + size);
        std::vector<uint8_t> out(((data[0] << 8) | data[1]) & 0x3FFF);
        ExpandStream(stream.data(), stream.size(), out.data(), out.size());
    }
    return 0;
}
