// The clipboard: formats, ownership of blocks, and the mirror on the host's system clipboard.
#include "platform/user/clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/heap.h"
#include "support/headless.h"

namespace {

void* TextBlock(const std::u16string& text) {
    auto* b = static_cast<char16_t*>(LocalAlloc(LMEM_MOVEABLE, (text.size() + 1) * 2));
    std::memcpy(b, text.data(), text.size() * 2);
    b[text.size()] = 0;
    return b;
}

void* ByteBlock(const std::string& bytes) {
    auto* b = static_cast<char*>(LocalAlloc(LMEM_MOVEABLE, bytes.size() + 1));
    std::memcpy(b, bytes.data(), bytes.size() + 1);
    return b;
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { ResetClipboard(); }
    void TearDown() override { ResetClipboard(); }
    HeadlessScreen screen;
};

TEST_F(ClipboardTest, RegisteredFormatsAreStableAndIgnoreCase) {
    UINT rtf = RegisterClipboardFormat(u"Rich Text Format");
    EXPECT_GE(rtf, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat(u"rich text format"), rtf);
    EXPECT_NE(RegisterClipboardFormat(u"Other"), rtf);
    EXPECT_EQ(RegisterClipboardFormat(u""), 0u);
    char16_t name[32];
    EXPECT_EQ(GetClipboardFormatName(rtf, name, 32), 16);
    EXPECT_EQ(std::u16string(name), u"Rich Text Format");
}

TEST_F(ClipboardTest, DataNeedsTheClipboardOpenAndEmptyFreesIt) {
    void* block = TextBlock(u"x");
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), nullptr) << "not open: refused";
    LocalFree(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(reinterpret_cast<HWND>(&screen))) << "open for another owner";
    EXPECT_TRUE(EmptyClipboard());
    void* text = TextBlock(u"one");
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, text), text);
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), text);
    EXPECT_EQ(GetClipboardData(RegisterClipboardFormat(u"Rich Text Format")), nullptr);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr) << "closed";
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(ClipboardTest, ClosingPublishesTextWithLineFeedsAndRtfBytes) {
    UINT rtf = RegisterClipboardFormat(u"Rich Text Format");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, TextBlock(u"\u05D0b\r\nc\r\n"));
    SetClipboardData(rtf, ByteBlock("{\\rtf1 \\u1488 }"));
    EXPECT_FALSE(screen.host().systemClipboard().hasText) << "published only when closed";
    CloseClipboard();
    const SystemClipboard& sys = screen.host().systemClipboard();
    EXPECT_TRUE(sys.hasText);
    EXPECT_EQ(sys.text,
              "\xD7\x90"
              "b\nc\n");
    EXPECT_TRUE(sys.hasRtf);
    EXPECT_EQ(sys.rtf, "{\\rtf1 \\u1488 }");
}

TEST_F(ClipboardTest, AnotherProgramsContentsAreReadBack) {
    SystemClipboard other;
    other.hasText = true;
    other.text = "line\nnext";
    other.hasRtf = true;
    other.rtf = "{\\rtf1 hi}";
    screen.host().SetForeignClipboard(other);
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* text = static_cast<const char16_t*>(GetClipboardData(CF_UNICODETEXT));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text), u"line\r\nnext");
    auto* bytes =
        static_cast<const char*>(GetClipboardData(RegisterClipboardFormat(u"Rich Text Format")));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes), "{\\rtf1 hi}");
    CloseClipboard();
    // Emptying makes the contents the program's own again, and other programs see that.
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(screen.host().systemClipboard().hasText);
    OpenClipboard(nullptr);
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
    CloseClipboard();
}

// Replacing the contents asks the other program nothing (it may not answer); reading asks
// only for the form wanted, once per opening.
TEST_F(ClipboardTest, AnotherProgramIsAskedOnlyForWhatIsReadAndNeverToReplace) {
    UINT rtf = RegisterClipboardFormat(u"Rich Text Format");
    SystemClipboard other;
    other.hasText = other.hasRtf = true;
    other.text = "old";
    other.rtf = "{\\rtf1 old}";
    screen.host().SetForeignClipboard(other);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, TextBlock(u"new"));
    CloseClipboard();
    EXPECT_EQ(screen.host().clipboardReads(), 0);
    EXPECT_EQ(screen.host().systemClipboard().text, "new");

    screen.host().SetForeignClipboard(other);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(screen.host().clipboardReads(), 0) << "opening reads nothing";
    ASSERT_NE(GetClipboardData(rtf), nullptr);
    GetClipboardData(rtf);
    EXPECT_EQ(screen.host().clipboardReads(), 1);
    auto* text = static_cast<const char16_t*>(GetClipboardData(CF_UNICODETEXT));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text), u"old");
    EXPECT_EQ(screen.host().clipboardReads(), 2);
    CloseClipboard();
}

TEST_F(ClipboardTest, RtfIsTakenOnlyWhenItIsAnRtfDocument) {
    UINT rtf = RegisterClipboardFormat(u"Rich Text Format");
    for (const char* bytes : {"foreign text only", "\r\n {\\rtf1 x}", "{\\rtf"}) {
        SystemClipboard other;
        other.hasRtf = true;
        other.rtf = bytes;
        screen.host().SetForeignClipboard(other);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EXPECT_EQ(GetClipboardData(rtf) != nullptr, bytes[0] != 'f') << bytes;
        CloseClipboard();
    }
}

// STRING is Latin-1: the text is offered so only when every character has a Latin-1 byte.
TEST_F(ClipboardTest, TheLatin1FormIsPublishedOnlyForTextThatHasOne) {
    for (const std::u16string& text :
         {std::u16string(u"caf\u00E9 \u00E0\u00FF"), std::u16string(u"caf\u00E9 \u05D0")}) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, TextBlock(text));
        CloseClipboard();
        const SystemClipboard& sys = screen.host().systemClipboard();
        bool latin = text.back() != u'\u05D0';
        EXPECT_EQ(sys.hasLatin1, latin);
        EXPECT_EQ(sys.latin1, latin ? std::string("caf\xE9 \xE0\xFF") : std::string());
    }
}

}  // namespace
