#pragma once
// Finding a book container by ArticleNumber and expanding it into a RecordList.
//
// A container is the resource RCDATA (ArticleNumber + 1000): a 10-byte big-endian header
// (BodyLength, FirstNumber, LastNumber, CompressedLength, ExpandedLength), the compressed stream
// and four zero bytes.
#include <cstddef>
#include <cstdint>

#include "store/records.h"

// The ArticleNumber under which the index is requested (resource 32767).
constexpr int IndexArticleNumber = 31767;
constexpr int kFirstArticle = 1;
constexpr int kLastArticle = 26;
constexpr size_t kContainerHeaderSize = 10;

// A new RecordList for `articleNumber` (1-26, or IndexArticleNumber), or nullptr when the number
// is below 1, the resource is missing or empty, or its container cannot be expanded. The caller
// owns the list and releases it with HeapFreeBlock. Nothing is cached.
uint8_t* LoadRecordList(int articleNumber);

// Expands the container of `size` bytes at `container` into a RecordList whose records are
// checked to lie inside the block; `layout` says which record layout the list uses.
// A damaged header or list gives nullptr; a stream that cannot be expanded gives nullptr after
// UnCompress has shown its message. The stream is never read past the container's end, even when
// the header claims more bytes than it holds.
uint8_t* UnpackContainer(const uint8_t* container, size_t size, RecordLayout layout);
