#include "store/record_list.h"

#include <algorithm>

#include "platform/heap.h"
#include "platform/resources.h"
#include "platform/win32_constants.h"
#include "store/records.h"
#include "store/uncompress.h"

namespace {

unsigned ReadBigEndian16(const uint8_t* p) {
    return (p[0] << 8) | p[1];
}

}  // namespace

uint8_t* UnpackContainer(const uint8_t* container, size_t size, RecordLayout layout) {
    if (container == nullptr || size < kContainerHeaderSize) return nullptr;
    const unsigned bodyLength = ReadBigEndian16(container);
    if (bodyLength < 5) return nullptr;
    const uint8_t* body = container + 6;
    const unsigned compressedLength = ReadBigEndian16(body);
    const unsigned expandedLength = ReadBigEndian16(body + 2);
    if (compressedLength == 0) return nullptr;

    // The stream may not reach past the body the header declares nor past the resource itself;
    // a length that claims more is cut to what is there, and UnCompress reports the short stream.
    const size_t available = std::min<size_t>(bodyLength - 4, size - kContainerHeaderSize);
    const unsigned streamLength =
        static_cast<unsigned>(std::min<size_t>(compressedLength, available));
    if (streamLength == 0) return nullptr;

    uint8_t* list = UnCompress(body + 4, streamLength, expandedLength);
    if (list == nullptr) return nullptr;
    // A list whose records run past the expanded bytes would send every reader past the block.
    if (!CheckRecordList(list, expandedLength, 2, layout).ok) {
        HeapFreeBlock(list);
        return nullptr;
    }
    return list;
}

uint8_t* LoadRecordList(int articleNumber) {
    if (articleNumber < 1) return nullptr;
    const WORD id = static_cast<WORD>(static_cast<unsigned>(articleNumber) + 1000u);
    HINSTANCE module = ProgramInstance();
    HRSRC resource = FindResource(module, id, RT_RCDATA);
    if (resource == nullptr) return nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (size == 0) return nullptr;
    const auto* container = static_cast<const uint8_t*>(LoadResource(module, resource));
    if (container == nullptr) return nullptr;
    const RecordLayout layout =
        articleNumber == IndexArticleNumber ? RecordLayout::Index : RecordLayout::Article;
    return UnpackContainer(container, size, layout);
}
