// Facts about the system the reader runs on.
#include <unistd.h>

#include <climits>

#include "platform/unicode.h"
#include "platform/user/user.h"

// The reader's code was written for version 3.0 of its system, and this platform keeps its
// behaviour: it reports 3.0.
BOOL GetVersionEx(OSVERSIONINFO* info) {
    if (!info) return FALSE;
    info->dwMajorVersion = 3;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 0;
    info->dwPlatformId = 3;  // VER_PLATFORM_WIN32_CE
    return TRUE;
}

DWORD GetModuleFileName(HINSTANCE, char16_t* buffer, DWORD capacity) {
    if (!buffer || capacity == 0) return 0;
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n < 0) n = 0;
    path[n] = 0;
    std::u16string w = Utf8ToUtf16(path);
    DWORD count = DWORD(std::min<size_t>(w.size(), capacity - 1));
    std::copy(w.begin(), w.begin() + count, buffer);
    buffer[count] = 0;
    return count;
}
