#pragma once
// Book containers: header, stream and trailer around a compressed RecordList.
#include <cstdint>
#include <string>
#include <vector>

#include "store/records.h"

// FirstNumber / LastNumber of the index container.
constexpr unsigned kIndexFirstNumber = 1;
constexpr unsigned kIndexLastNumber = 255;

// The container for `list`, compressed and then expanded again with the reader's own UnCompress
// and list check before it is returned. False with `error` set when the list does not fit the
// 16-bit sizes or the check fails.
bool BuildContainer(const std::vector<uint8_t>& list, unsigned firstNumber, unsigned lastNumber,
                    RecordLayout layout, std::vector<uint8_t>* container, std::string* error);

// What a container holds, and what is wrong with it.
struct ContainerContents {
    unsigned bodyLength = 0, firstNumber = 0, lastNumber = 0;
    unsigned compressedLength = 0, expandedLength = 0;
    std::vector<uint8_t> list;  // the expanded bytes followed by two 0 bytes
    ListCheck listCheck;
    std::vector<std::string> faults;   // empty when the container is sound
    std::vector<std::string> remarks;  // harmless oddities (e.g. spare stream bytes)
};

// Reads and checks a container the way the reader expands it, and more strictly: the header
// lengths must agree with each other and with the file size.
ContainerContents ReadContainer(const std::vector<uint8_t>& bytes, RecordLayout layout);
