#include "store/records.h"

ListCheck CheckRecordList(const uint8_t* list, size_t size, size_t slack, RecordLayout layout) {
    ListCheck check;
    const size_t limit = size + slack;
    const size_t header = RecordHeaderSize(layout);
    size_t at = 0;
    for (;;) {
        check.offset = at;
        if (at + header - 2 >= limit) {
            check.fault = "the list runs past its end without an end record";
            return check;
        }
        if (list[at + header - 2] == 0) {
            check.ok = true;
            return check;
        }
        if (at + header >= limit) {
            check.fault = "a record has no room for its text";
            return check;
        }
        const void* nul = std::memchr(list + at + header, 0, limit - at - header);
        if (nul == nullptr) {
            check.fault = "a record's text has no terminating 0 byte";
            return check;
        }
        ++check.records;
        at = static_cast<size_t>(static_cast<const uint8_t*>(nul) - list) + 1;
    }
}
