// The settings in the registry: the number reader, the values read at start and written at
// exit, their defaults, truncations and write conditions.
#include "reader/settings.h"

#include <cstring>

#include "bookmarks/bookmarks.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"
#include "reader/app_state.h"
#include "shell/reader_main.h"
#include "support/shell_fixture.h"

namespace {

using SettingsTest = ShellTest;

TEST_F(SettingsTest, TheNumberReaderTakesDwordsAndDecimalTextDigitsUnchecked) {
    Store(
        "\"A\"=dword:fffffffe\n\"B\"=\"12\"\n\"C\"=\"\"\n\"D\"=\"1a\"\n\"E\"=hex:37,00\n"
        "\"F\"=hex(1):33,00,32\n\"G\"=hex:37\n\"H\"=hex(1):31,00,32,00\n");
    EXPECT_EQ(ReadSetting(u"A", 5), -2);
    EXPECT_EQ(ReadSetting(u"B", 5), 12);
    EXPECT_EQ(ReadSetting(u"C", 5), 0);
    EXPECT_EQ(ReadSetting(u"D", 5), 59);  // 1 * 10 + ('a' - '0')
    EXPECT_EQ(ReadSetting(u"E", 5), 7);   // byte data read as text: the unit 0x0037
    // Only whole UTF-16 units count: a lone byte at the end of the data is not a character.
    EXPECT_EQ(ReadSetting(u"F", 5), 3);
    EXPECT_EQ(ReadSetting(u"G", 5), 0);
    EXPECT_EQ(ReadSetting(u"H", 5), 12);  // without a NUL, up to the end of the data
    EXPECT_EQ(ReadSetting(u"Missing", 5), 5);
    EXPECT_EQ(ReadNumber(u"Software\\Nobody", u"A", 9), 9);
}

TEST_F(SettingsTest, FirstRunLoadsTheDefaults) {
    LoadSettings();
    EXPECT_EQ(App.Font.FontAsciiBase, 1488);
    EXPECT_EQ(App.Flags, 0xD1140040u);
    EXPECT_EQ(App.BottomSection, 12);
    EXPECT_EQ(App.Lesson, 0);
    EXPECT_EQ(App.Font.FaceName[0], 0);
    EXPECT_EQ(App.SearchString[0], 0);
    EXPECT_TRUE(HasValue("Program Path"));  // written at start
}

TEST_F(SettingsTest, StoredValuesAreReadWithTheirTruncations) {
    std::string longName(40, 'x');
    std::string search = "hex:";
    for (int i = 0; i < 40; ++i) search += (i ? ",6" : "6") + std::string(1, char('1' + i % 9));
    Store("\"Flags\"=\"12\"\n\"Lesson\"=\"7\"\n\"LastPosition\"=dword:00011170\n"
          "\"FontName\"=\"" + longName + "\"\n\"SearchString\"=" + search + "\n"
          "\"FontSize\"=dword:00000010\n\"FontAsciiBase\"=dword:000000e0\n"
          "\"BottomSection\"=dword:00000022\n\"BottomSectionLastPosition\"=dword:00010003\n");
    LoadSettings();
    EXPECT_EQ(App.Flags, 12u);
    EXPECT_EQ(App.Lesson, 7);
    EXPECT_EQ(App.LastPosition, 70000 - 65536);
    EXPECT_EQ(std::u16string(App.Font.FaceName), std::u16string(31, u'x'));
    EXPECT_EQ(std::strlen(reinterpret_cast<char*>(App.SearchString)), 33u);
    EXPECT_EQ(App.SearchString[0], 0x61);
    EXPECT_EQ(App.Font.FontSize, 16);
    EXPECT_EQ(App.Font.FontAsciiBase, 224);
    EXPECT_EQ(App.BottomSection, 34);
    EXPECT_EQ(App.BottomSectionLastPosition, 3);
}

TEST_F(SettingsTest, AByteStringStartingWithZeroOrWithoutItsNulIsHandled) {
    Store("\"SearchString\"=hex:00,61\n");
    std::memcpy(App.SearchString, "keep", 5);
    LoadSettings();
    EXPECT_STREQ(reinterpret_cast<char*>(App.SearchString), "keep");
    ResetAppState();
    Store("\"SearchString\"=hex:61,62\n");  // no NUL: the copy stops at the data's end
    LoadSettings();
    EXPECT_STREQ(reinterpret_cast<char*>(App.SearchString), "ab");
}

TEST_F(SettingsTest, ShutdownWritesEachValueUnderItsCondition) {
    Store("\"FontSize\"=dword:00000010\n\"FontName\"=\"Old\"\n\"FontAsciiBase\"=dword:00000000\n");
    LoadSettings();
    EXPECT_EQ(App.Font.FontAsciiBase, 0);  // stored as 0, read as 0
    App.Font.FontSize = 0;                 // not written: the stored 16 stays
    App.Font.FaceName[0] = 0;              // not written: "Old" stays
    App.Lesson = 0;                        // not written
    App.Flags = 0x800;
    App.BottomSection = 23;
    ShutdownSave();
    EXPECT_TRUE(Has("\"FontSize\"=dword:00000010"));
    EXPECT_TRUE(Has("\"FontName\"=\"Old\""));
    EXPECT_TRUE(Has("\"FontAsciiBase\"=dword:00000000"));
    EXPECT_FALSE(HasValue("Lesson"));
    EXPECT_FALSE(HasValue("SearchString"));
    EXPECT_FALSE(HasValue("LastPosition"));  // no pane to take it from
    EXPECT_TRUE(Has("\"Flags\"=dword:00000800"));
    EXPECT_TRUE(Has("\"BottomSection\"=dword:00000017"));
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 0u);
}

TEST_F(SettingsTest, AllSettingsRoundTripThroughARestart) {
    LoadSettings();
    std::u16string face = u"David CLM";
    std::copy(face.begin(), face.end(), App.Font.FaceName);
    App.Font.FontSize = 18;
    App.Font.FontAsciiBase = 97;
    App.Lesson = 11;
    App.Flags = 0x80000840;
    App.BottomSection = 14;
    std::memcpy(App.SearchString, "\x61\x2a\x62", 4);
    ShutdownSave();
    ResetAppState();
    ResetSettingsState();
    SetRegistryFile(file);
    LoadSettings();
    EXPECT_EQ(std::u16string(App.Font.FaceName), face);
    EXPECT_EQ(App.Font.FontSize, 18);
    EXPECT_EQ(App.Font.FontAsciiBase, 97);
    EXPECT_EQ(App.Lesson, 11);
    EXPECT_EQ(App.Flags, 0x80000840u);
    EXPECT_EQ(App.BottomSection, 14);
    EXPECT_STREQ(reinterpret_cast<char*>(App.SearchString), "\x61\x2a\x62");
    FreeBookmarks();  // loaded by the second LoadSettings, with no shutdown to free them
}

TEST_F(SettingsTest, ExhaustedHeapReportsSavesAndQuits) {
    Store("\"Lesson\"=dword:00000004\n");
    LoadSettings();
    App.Flags = 0x40;
    SetHeapFailure(1);
    EXPECT_EQ(CheckedAlloc(100), nullptr);
    ASSERT_EQ(screen.messageBoxes.size(), 1u);
    EXPECT_EQ(screen.messageBoxes[0].text, u"There is not enough memory, aborting");
    EXPECT_EQ(screen.messageBoxes[0].caption, u"Error");
    EXPECT_EQ(screen.messageBoxes[0].style, 16u);
    EXPECT_TRUE(Has("\"Flags\"=dword:00000040"));
    EXPECT_TRUE(Has("\"Lesson\"=dword:00000004"));
    MSG m{};
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE) && m.message != WM_QUIT) {
    }
    EXPECT_EQ(m.message, WM_QUIT);
}

// Running out of memory while the settings are still being read must not write the half-read
// record over the stored values.
TEST_F(SettingsTest, ExhaustedHeapWhileLoadingLeavesTheStoredValuesAlone) {
    Store("\"FontName\"=\"David CLM\"\n\"Flags\"=dword:00000040\n\"Lesson\"=dword:00000009\n");
    SetHeapFailure(1);  // the FontName read
    LoadSettings();
    SetHeapFailure(0);
    ASSERT_EQ(screen.messageBoxes.size(), 1u);
    EXPECT_TRUE(Has("\"Flags\"=dword:00000040"));
    EXPECT_TRUE(Has("\"Lesson\"=dword:00000009"));
    EXPECT_TRUE(Has("\"FontName\"=\"David CLM\""));
}

}  // namespace
