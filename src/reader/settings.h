#pragma once
// The registry routines and the settings kept under "Software\Velmora\Orvanel": read once
// before the main window exists, written once when it is destroyed.
#include <cstdint>

constexpr char16_t kSettingsKey[] = u"Software\\Velmora\\Orvanel";
constexpr char16_t kSwitchesKey[] = u"software\\Velmora";

// A DWORD value, or a string of decimal digits (each unit counts as unit - '0', unchecked);
// the default when the key or value cannot be read.
int32_t ReadNumber(const char16_t* keyPath, const char16_t* name, int32_t fallback);
int32_t ReadSetting(const char16_t* name, int32_t fallback);
// 1 on success, 0 on failure.
int WriteNumber(const char16_t* name, uint32_t value);
// A new UTF-16 string (free with HeapFreeBlock), or nullptr.
char16_t* ReadText(const char16_t* name);
int WriteText(const char16_t* name, const char16_t* text);
// A new block with the value's bytes followed by one 0 byte (free with HeapFreeBlock).
uint8_t* ReadBytes(const char16_t* name, uint32_t* length = nullptr);
void ReadByteString(const char16_t* name, uint8_t* buffer, int capacity);
int WriteByteString(const char16_t* name, const uint8_t* text);
// The value's data in a new block and its size; `fallback` (length untouched) when unreadable.
uint8_t* ReadBlob(const char16_t* name, uint8_t* fallback, uint32_t* length);
int WriteBlob(const char16_t* name, const uint8_t* data, uint32_t length);

void LoadSettings();
void ShutdownSave();
// Forgets that the settings were loaded (tests).
void ResetSettingsState();
