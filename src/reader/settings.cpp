#include "reader/settings.h"

#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/heap.h"
#include "platform/registry/registry.h"
#include "platform/resources.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "reader/checked_alloc.h"
#include "reader/display_setting.h"
#include "reader/reader_hooks.h"
#include "text/text_pane.h"

namespace {

// Set once LoadSettings has read every value. A shutdown before that (the heap ran out while
// the settings were being read) must not write: it would replace the stored values with the
// zeros of a half-filled record.
bool gSettingsLoaded = false;

// Opens the settings key for reading, or the given path.
HKEY OpenForRead(const char16_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

HKEY OpenForWrite() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                       &key, &disposition) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

int SetValue(const char16_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = OpenForWrite();
    if (!key) return 0;
    LONG r = RegSetValueEx(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? 1 : 0;
}

// Reads a value of `size` bytes from an open key into a new zero-filled block of `factor` times
// its size plus `extra` bytes; nullptr when the block cannot be had or the read fails.
uint8_t* ReadInto(HKEY key, const char16_t* name, DWORD size, DWORD factor, DWORD extra,
                  DWORD* got) {
    size_t blockSize = size_t(size) * factor + extra;
    auto* block = static_cast<uint8_t*>(CheckedAlloc(blockSize));
    if (!block) return nullptr;
    std::memset(block, 0, blockSize);
    *got = size;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, block, got) != ERROR_SUCCESS) {
        HeapFreeBlock(block);
        return nullptr;
    }
    return block;
}

// A settings value in a new block (see ReadInto); the key is closed on every path.
uint8_t* ReadValue(const char16_t* name, DWORD factor, DWORD extra, DWORD* sizeOut) {
    HKEY key = OpenForRead(kSettingsKey);
    if (!key) return nullptr;
    DWORD type = 0, size = 0, got = 0;
    uint8_t* block = nullptr;
    if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS)
        block = ReadInto(key, name, size, factor, extra, &got);
    RegCloseKey(key);
    if (block && sizeOut) *sizeOut = got;
    return block;
}

}  // namespace

int32_t ReadNumber(const char16_t* keyPath, const char16_t* name, int32_t fallback) {
    HKEY key = OpenForRead(keyPath);
    if (!key) return fallback;
    DWORD type = 0, size = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return fallback;
    }
    if (type == REG_DWORD) {
        uint32_t value = 0;
        DWORD got = sizeof value;
        LONG r = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &got);
        RegCloseKey(key);
        return r == ERROR_SUCCESS ? int32_t(value) : fallback;
    }
    DWORD got = 0;
    uint8_t* block = ReadInto(key, name, size, 2, 2, &got);
    RegCloseKey(key);
    if (!block) return fallback;
    // Each unit adds (unit - '0') after multiplying by ten, digits or not, wrapping in 32 bits.
    // The text ends at its NUL or with the last whole UTF-16 unit of the data: a lone byte
    // left over at the end is not a character.
    uint32_t value = 0;
    for (size_t i = 0; i + 1 < size_t(got); i += 2) {
        char16_t c = char16_t(block[i] | (block[i + 1] << 8));
        if (c == 0) break;
        value = value * 10u + (uint32_t(c) - 48u);
    }
    HeapFreeBlock(block);
    return int32_t(value);
}

int32_t ReadSetting(const char16_t* name, int32_t fallback) {
    return ReadNumber(kSettingsKey, name, fallback);
}

int WriteNumber(const char16_t* name, uint32_t value) {
    return SetValue(name, REG_DWORD, &value, sizeof value);
}

char16_t* ReadText(const char16_t* name) {
    // Twice the data size, zero-filled: the text is always terminated within the block.
    return reinterpret_cast<char16_t*>(ReadValue(name, 2, 2, nullptr));
}

int WriteText(const char16_t* name, const char16_t* text) {
    size_t n = 0;
    while (text[n]) ++n;
    return SetValue(name, REG_SZ, text, DWORD((n + 1) * 2));
}

uint8_t* ReadBytes(const char16_t* name, uint32_t* length) {
    // One 0 byte after the data, so that a byte string without its NUL still ends inside the
    // block.
    DWORD size = 0;
    uint8_t* block = ReadValue(name, 1, 1, &size);
    if (block && length) *length = size;
    return block;
}

void ReadByteString(const char16_t* name, uint8_t* buffer, int capacity) {
    uint8_t* bytes = ReadBytes(name);
    if (!bytes) return;
    if (bytes[0] != 0 && capacity > 0) {
        int i = 0;
        while (i < capacity - 1 && bytes[i] != 0) {
            buffer[i] = bytes[i];
            ++i;
        }
        buffer[i] = 0;
    }
    HeapFreeBlock(bytes);
}

int WriteByteString(const char16_t* name, const uint8_t* text) {
    size_t n = std::strlen(reinterpret_cast<const char*>(text));
    return SetValue(name, REG_BINARY, text, DWORD(n + 1));
}

uint8_t* ReadBlob(const char16_t* name, uint8_t* fallback, uint32_t* length) {
    DWORD size = 0;
    uint8_t* block = ReadValue(name, 1, 0, &size);
    if (!block) return fallback;
    if (length) *length = size;
    return block;
}

int WriteBlob(const char16_t* name, const uint8_t* data, uint32_t length) {
    return SetValue(name, REG_BINARY, data, length);
}

void LoadSettings() {
    char16_t path[260];
    if (GetModuleFileName(App.Instance, path, 260) > 0 && path[0]) WriteText(u"Program Path", path);

    if (char16_t* name = ReadText(u"FontName")) {
        if (name[0]) {
            int i = 0;
            for (; i < 31 && name[i]; ++i) App.Font.FaceName[i] = name[i];
            App.Font.FaceName[i] = 0;
        }
        HeapFreeBlock(name);
    }
    ReadByteString(u"SearchString", App.SearchString, sizeof App.SearchString);
    App.Font.FontSize = ReadSetting(u"FontSize", 0);
    App.Font.FontAsciiBase = ReadSetting(u"FontAsciiBase", kUnicodeAsciiBase);
    App.LastPosition = uint16_t(ReadSetting(u"LastPosition", 0));
    App.Flags = uint32_t(ReadSetting(u"Flags", int32_t(kDefaultFlags)));
    App.Lesson = uint16_t(ReadSetting(u"Lesson", 0));
    for (int i = 0; i < 3; ++i) App.MarkerBitmaps[i] = LoadBitmap(App.Instance, WORD(201 + i));
    App.BottomSection = ReadSetting(u"BottomSection", kDefaultBottomSection);
    App.BottomSectionLastPosition = uint16_t(ReadSetting(u"BottomSectionLastPosition", 0));
    if (Hooks.loadSettings) Hooks.loadSettings();
    App.StartFontSize = App.Font.FontSize;
    int32_t mode = ReadSetting(u"DisplayMode", kDisplayModeOff);
    App.StoredDisplayMode = mode;
    if (mode < kDisplayModeOff || mode > kDisplayModeRed) mode = kDisplayModeOff;
    App.DisplayMode = RequestedDisplayMode() >= 0 ? RequestedDisplayMode() : mode;
    App.DisplayModeChanged = 0;
    gSettingsLoaded = true;
}

void ShutdownSave() {
    for (HBITMAP& bitmap : App.MarkerBitmaps) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
    if (gSettingsLoaded) {
        if (App.SearchString[0]) WriteByteString(u"SearchString", App.SearchString);
        if (App.Font.FaceName[0]) WriteText(u"FontName", App.Font.FaceName);
        if (App.Font.FontSize) WriteNumber(u"FontSize", uint32_t(App.Font.FontSize));
        if (App.Font.FontAsciiBase) WriteNumber(u"FontAsciiBase", uint32_t(App.Font.FontAsciiBase));
        if (App.TopPane) WriteNumber(u"LastPosition", App.TopPane->firstRow);
        WriteNumber(u"Flags", App.Flags);
        if (App.Lesson) WriteNumber(u"Lesson", App.Lesson);
        // A mode given on the command line is for that run; one the user switched to is kept.
        if (App.DisplayModeChanged && App.DisplayMode != App.StoredDisplayMode)
            WriteNumber(u"DisplayMode", uint32_t(App.DisplayMode));
    }
    if (App.TopPane) {
        DestroyTextPane(App.TopPane, true);
        App.TopPane = nullptr;
    }
    if (gSettingsLoaded) WriteNumber(u"BottomSection", uint32_t(App.BottomSection));
    if (App.BottomPane) {
        if (gSettingsLoaded) WriteNumber(u"BottomSectionLastPosition", App.BottomPane->firstRow);
        DestroyTextPane(App.BottomPane, true);
        App.BottomPane = nullptr;
    }
    App.ActivePane = nullptr;
    if (gSettingsLoaded && Hooks.saveSettings) Hooks.saveSettings();
    if (Hooks.releaseSettings) Hooks.releaseSettings();
    // Everything is written once. A second shutdown (the window destroyed after the heap ran
    // out) would otherwise write the bookmarks again from the list freed just now, as none.
    gSettingsLoaded = false;
    // The registry keeps what was set in memory; the file is written now, once.
    RegFlushKey(HKEY_CURRENT_USER);
    PostQuitMessage(0);
}

void ResetSettingsState() { gSettingsLoaded = false; }
