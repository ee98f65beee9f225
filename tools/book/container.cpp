#include "container.h"

#include <cstring>

#include "compress.h"
#include "platform/heap.h"
#include "store/record_list.h"
#include "store/uncompress.h"

namespace {

constexpr size_t kTrailerSize = 4;
constexpr size_t kMaxLength = 0xFFFF;

void PutBigEndian16(std::vector<uint8_t>* out, size_t value) {
    out->push_back(static_cast<uint8_t>(value >> 8));
    out->push_back(static_cast<uint8_t>(value & 0xFF));
}

unsigned GetBigEndian16(const uint8_t* p) {
    return (p[0] << 8) | p[1];
}

}  // namespace

bool BuildContainer(const std::vector<uint8_t>& list, unsigned firstNumber, unsigned lastNumber,
                    RecordLayout layout, std::vector<uint8_t>* container, std::string* error) {
    if (list.empty() || list.size() > kMaxLength) {
        *error = "the expanded list has " + std::to_string(list.size()) +
                 " bytes; a container holds 1 to 65535";
        return false;
    }
    const std::vector<uint8_t> stream = CompressStream(list.data(), list.size());
    const size_t bodyLength = stream.size() + 8;
    if (bodyLength > kMaxLength) {
        *error = "the compressed stream has " + std::to_string(stream.size()) +
                 " bytes; a container holds at most 65527";
        return false;
    }
    container->clear();
    PutBigEndian16(container, bodyLength);
    PutBigEndian16(container, firstNumber);
    PutBigEndian16(container, lastNumber);
    PutBigEndian16(container, stream.size());
    PutBigEndian16(container, list.size());
    container->insert(container->end(), stream.begin(), stream.end());
    container->insert(container->end(), kTrailerSize, 0);

    // Expand it as the reader will. The stream is expanded once without side effects first, so
    // that a compressor fault is reported here and not as a message box.
    std::vector<uint8_t> check(list.size());
    ExpansionReport report = ExpandStream(stream.data(), stream.size(), check.data(), check.size());
    if (report.result != Expansion::Complete || check != list) {
        *error = "internal error: the compressed stream does not expand to the list";
        return false;
    }
    uint8_t* expanded = UnpackContainer(container->data(), container->size(), layout);
    bool same = expanded != nullptr && std::memcmp(expanded, list.data(), list.size()) == 0;
    HeapFreeBlock(expanded);
    if (!same) {
        *error = "the reader does not accept the container (is the record list complete?)";
        return false;
    }
    return true;
}

ContainerContents ReadContainer(const std::vector<uint8_t>& bytes, RecordLayout layout) {
    ContainerContents c;
    auto fault = [&](std::string text) { c.faults.push_back(std::move(text)); };
    if (bytes.size() < 10) {
        fault("the file has " + std::to_string(bytes.size()) +
              " bytes, fewer than the 10-byte header");
        return c;
    }
    c.bodyLength = GetBigEndian16(&bytes[0]);
    c.firstNumber = GetBigEndian16(&bytes[2]);
    c.lastNumber = GetBigEndian16(&bytes[4]);
    c.compressedLength = GetBigEndian16(&bytes[6]);
    c.expandedLength = GetBigEndian16(&bytes[8]);
    if (c.bodyLength < 5) fault("BodyLength " + std::to_string(c.bodyLength) + " is below 5");
    if (c.compressedLength == 0) fault("CompressedLength is 0");
    if (c.expandedLength == 0) fault("ExpandedLength is 0");
    if (c.bodyLength + 6 != bytes.size()) {
        fault("BodyLength " + std::to_string(c.bodyLength) + " does not match the file size " +
              std::to_string(bytes.size()) + " - 6");
    }
    if (c.bodyLength != c.compressedLength + 8) {
        fault("BodyLength " + std::to_string(c.bodyLength) + " is not CompressedLength " +
              std::to_string(c.compressedLength) + " + 8");
    }
    const size_t streamEnd = 10 + static_cast<size_t>(c.compressedLength);
    if (streamEnd > bytes.size()) {
        fault("the stream of " + std::to_string(c.compressedLength) +
              " bytes runs past the end of the file");
    } else {
        for (size_t i = streamEnd; i < bytes.size(); ++i) {
            if (bytes[i] != 0 || i >= streamEnd + kTrailerSize) {
                fault("the trailer after the stream is not four zero bytes");
                break;
            }
        }
        if (bytes.size() < streamEnd + kTrailerSize) fault("the four-byte trailer is missing");
    }
    if (c.compressedLength == 0 || c.expandedLength == 0) return c;

    const size_t available = std::min(streamEnd, bytes.size()) - 10;
    c.list.assign(c.expandedLength + 2, 0);
    ExpansionReport report = ExpandStream(&bytes[10], available, c.list.data(), c.expandedLength);
    switch (report.result) {
        case Expansion::Complete:
            if (report.streamUsed < available) {
                c.remarks.push_back(std::to_string(available - report.streamUsed) +
                                    " stream bytes after the last token that is needed");
            }
            break;
        case Expansion::StreamShort:
            fault("the stream ends after producing " + std::to_string(report.produced) + " of " +
                  std::to_string(c.expandedLength) + " bytes (stream offset " +
                  std::to_string(report.streamUsed) + ")");
            return c;
        case Expansion::BadReference:
            fault("the back-reference at stream offset " + std::to_string(report.streamUsed) +
                  " reaches before the start of the output (output offset " +
                  std::to_string(report.produced) + ")");
            return c;
    }
    c.listCheck = CheckRecordList(c.list.data(), c.expandedLength, 2, layout);
    if (!c.listCheck.ok) {
        fault(std::string("record list: ") + c.listCheck.fault + " (offset " +
              std::to_string(c.listCheck.offset) + ")");
    }
    return c;
}
