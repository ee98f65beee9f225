#pragma once
// The program's resources: a compiled-in table by (type, id), with Win32's find / size / load
// semantics. Loaded bytes stay valid for the life of the process and are never released.
#include <cstddef>
#include <span>
#include <string>

#include "platform/win32_types.h"

struct ResourceBlob {
    WORD type;
    WORD id;
    const void* data;  // raw bytes, or a typed record for DIALOG, MENU and ACCELERATOR
    size_t size;
};

using HRSRC = const ResourceBlob*;

// Adds resources to the table; a later entry with the same type and id replaces an earlier one.
void RegisterResources(std::span<const ResourceBlob> blobs);

// Book containers (RCDATA 1001-1026 and 32767) are read from DIR/<id>.bin instead of the table
// when a folder is set, each once, at its first use. A file missing there is a missing resource,
// as in the compiled-in case; so is one that is not a regular file or is larger than 8 MB (said
// once on standard error).
void SetBookDirectory(const std::string& dir);

// Clears the table and the book folder (tests).
void ResetResources();

HRSRC FindResource(HINSTANCE module, WORD id, WORD type);
// Size in bytes; 0 when the handle is none.
DWORD SizeofResource(HINSTANCE module, HRSRC res);
// Pointer to the bytes, or nullptr when the handle is none.
const void* LoadResource(HINSTANCE module, HRSRC res);

// A string resource (RT_STRING, data: the NUL-terminated UTF-16 text) copied into the buffer;
// returns its length, 0 when there is no such string.
int LoadString(HINSTANCE module, UINT id, char16_t* buffer, int capacity);

// The module handle of the program itself.
HINSTANCE ProgramInstance();
