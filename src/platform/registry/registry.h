#pragma once
// The registry: HKEY_CURRENT_USER keys and values of types 1 (string), 3 (bytes) and 4 (DWORD),
// kept in a human-readable ".reg" file. Key and value names compare without regard to case.
// Every write re-reads the file under a lock, applies the one change and replaces the file
// atomically, so a crash or a second process never leaves a half-written or clobbered file.
// A file that does not parse is kept aside under a new name; the values that could be read
// are kept and written to the new file.
#include <string>

#include "platform/win32_constants.h"

struct RegistryKey;
using HKEY = RegistryKey*;
extern HKEY const HKEY_CURRENT_USER;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Chooses the file (default: $XDG_CONFIG_HOME/orvanel/registry.reg). Forgets what was loaded.
void SetRegistryFile(const std::string& path);
const std::string& RegistryFile();
std::string DefaultRegistryFile();

LONG RegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, DWORD access, HKEY* result);
LONG RegCreateKeyEx(HKEY root, LPCWSTR subKey, DWORD reserved, char16_t* cls, DWORD options,
                    DWORD access, void* security, HKEY* result, DWORD* disposition);
LONG RegCloseKey(HKEY key);
// With data nullptr only the type and size are reported. A buffer too small gives
// ERROR_MORE_DATA with the size needed.
LONG RegQueryValueEx(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* size);
LONG RegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD size);
LONG RegDeleteValue(HKEY key, LPCWSTR name);

// How long a write waits for another process's lock before it gives up (milliseconds).
void SetRegistryLockTimeout(int milliseconds);
