#pragma once
// The registry: HKEY_CURRENT_USER keys and values of types 1 (string), 3 (bytes) and 4 (DWORD),
// kept in a human-readable ".reg" file. Key and value names compare without regard to case.
// The file is read once, at the first call; changes are kept in memory and written with
// RegFlushKey (the program does so once, as it ends). The write re-reads the file under a lock
// when another process changed it meanwhile, applies this process's changes to what it finds and
// replaces the file atomically, so a crash or a second process never leaves a half-written or
// clobbered file. A symbolic link is followed: its target is replaced in its own folder, and it
// keeps its permissions.
// A file that does not parse is kept aside under a new name; the values that could be read
// are kept and written to the new file. A file that cannot be read at all (no permission, not a
// regular file, a read error) or that is read-only is never written: the program says so once
// and runs on its values in memory.
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
// Writes the changes made since the last write (any key writes them all). ERROR_SUCCESS when
// there was nothing to write, ERROR_ACCESS_DENIED when the file is left alone or could not be
// written (it is then as it was).
LONG RegFlushKey(HKEY key);

// How long RegFlushKey waits for another process's lock before it gives up (milliseconds).
void SetRegistryLockTimeout(int milliseconds);
