#include <gtest/gtest.h>

#include <string>

#include "storage/text_decode.h"
#include "storage/utf.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

std::u16string decoded(std::string_view bytes) {
    std::u16string text = u"unchanged";
    EXPECT_TRUE(decodeText(bytes, text));
    return text;
}

std::string utf16le(std::u16string_view text, bool mark = true) {
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TEST(DecodeText, ReadsEachEncodingToTheSameText) {
    const std::u16string text = u"[VALA]\n一五八\nセンダイデンポウ」";
    const std::string utf8 = toUtf8(text);
    EXPECT_EQ(decoded(utf8), text);
    EXPECT_EQ(decoded("\xEF\xBB\xBF" + utf8), text);
    EXPECT_EQ(decoded(utf16le(text)), text);
    // "ア" "イ" "一" in Shift-JIS.
    EXPECT_EQ(decoded("\x83\x41\x83\x43\x88\xEA"), u"アイ一");
    // Half-width katakana are single bytes in Shift-JIS.
    EXPECT_EQ(decoded("\xB1\xB2"), u"ｱｲ");
}

TEST(DecodeText, TurnsEveryCarriageReturnIntoLineFeed) {
    EXPECT_EQ(decoded("a\r\nb\rc"), u"a\n\nb\nc");
    EXPECT_EQ(decoded(utf16le(u"a\r\nb")), u"a\n\nb");
}

TEST(DecodeText, EdgeBuffers) {
    EXPECT_EQ(decoded(""), u"");
    EXPECT_EQ(decoded("\xFF\xFE"), u"");
    // An odd trailing byte of UTF-16 is dropped.
    EXPECT_EQ(decoded(utf16le(u"ア") + "\x41"), u"ア");
}

TEST(DecodeText, FailsWhenNoEncodingReadsTheBytes) {
    std::u16string text = u"kept";
    // 0x80 and 0xA0 are not characters in Shift-JIS, nor valid UTF-8 starts.
    EXPECT_FALSE(decodeText("\x80\xA0", text));
    // A lead byte cut off at the end.
    EXPECT_FALSE(decodeText("abc\x83", text));
    EXPECT_EQ(text, u"kept");
}

TEST(ReadWholeFile, ReadsBytesAndRefusesWhatIsNotAFile) {
    test::TempDir dir;
    std::string bytes = "old";
    const std::string content("a\0b\r\n\xFF", 6);
    ASSERT_TRUE(readWholeFile(dir.write("f.txt", content), bytes));
    EXPECT_EQ(bytes, content);
    ASSERT_TRUE(readWholeFile(dir.write("empty.txt", ""), bytes));
    EXPECT_TRUE(bytes.empty());

    bytes = "kept";
    EXPECT_FALSE(readWholeFile(dir.path() / "missing.txt", bytes));
    EXPECT_FALSE(readWholeFile(dir.path(), bytes));
    EXPECT_EQ(bytes, "kept");
}

TEST(ReadWholeFile, ReadsAFileLargerThanOneChunk) {
    test::TempDir dir;
    std::string content(200 * 1024 + 7, 'x');
    for (std::size_t i = 0; i < content.size(); i += 1000)
        content[i] = static_cast<char>(i % 251);
    std::string bytes;
    ASSERT_TRUE(readWholeFile(dir.write("big.txt", content), bytes));
    EXPECT_EQ(bytes, content);
}

}  // namespace
}  // namespace quorvel
