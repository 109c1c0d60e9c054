// The codecs the engine and the import share: every caller's text goes through them, so a
// fault here would show in stored values, file contents and names alike.
#include <gtest/gtest.h>

#include <string>

#include "textcodec/SystemDecoder.h"
#include "textcodec/Utf16.h"
#include "textcodec/Utf8.h"
#include "textcodec/Windows1252.h"

namespace {

std::string FromUnits(std::u16string_view units) {
    std::string out;
    textcodec::Utf16ToUtf8 decoder(out);
    for (const char16_t unit : units) {
        decoder.Push(unit);
    }
    decoder.Finish();
    return out;
}

constexpr const char* kReplacement = "\xEF\xBF\xBD";

TEST(Utf16ToUtf8, JoinsPairsAndReplacesEverySurrogateThatIsNotHalfOfOne) {
    EXPECT_EQ(FromUnits(u"a\u00E9\u20AC"), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(FromUnits(u"\U0001F600"), "\xF0\x9F\x98\x80");
    // A high surrogate before a letter: replaced, and the letter kept.
    EXPECT_EQ(FromUnits(std::u16string{0xD83D, u'x'}), std::string(kReplacement) + "x");
    // Two highs then a low: the first is lone, the second pairs.
    EXPECT_EQ(FromUnits(std::u16string{0xD83D, 0xD83D, 0xDE00}),
              std::string(kReplacement) + "\xF0\x9F\x98\x80");
    EXPECT_EQ(FromUnits(std::u16string{0xDE00, u'y'}), std::string(kReplacement) + "y");
    // A high surrogate at the very end is still written out by Finish.
    EXPECT_EQ(FromUnits(std::u16string{u'z', 0xD800}), std::string("z") + kReplacement);
}

TEST(Utf8, DecodesWellFormedSequencesOnlyAtEveryLengthsBoundary) {
    struct Case {
        std::string bytes;
        std::size_t length;
        char32_t codePoint;
    };
    const Case cases[] = {
        {"\x7F", 1, 0x7F},
        {"\xC2\x80", 2, 0x80},
        {"\xDF\xBF", 2, 0x7FF},
        {"\xE0\xA0\x80", 3, 0x800},
        {"\xEF\xBF\xBF", 3, 0xFFFF},
        {"\xF0\x90\x80\x80", 4, 0x10000},
        {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
        {"\xC0\xAF", 0, 0},          // overlong '/'
        {"\xE0\x9F\xBF", 0, 0},      // overlong U+07FF
        {"\xED\xA0\x80", 0, 0},      // an encoded surrogate
        {"\xF4\x90\x80\x80", 0, 0},  // beyond U+10FFFF
        {"\xE2\x82", 0, 0},          // cut off by the end
        {"\xE2\x28\xA1", 0, 0},      // a continuation byte missing
        {"\x80", 0, 0},              // a stray continuation byte
        {"\xF8\x88\x80\x80\x80", 0, 0},
    };
    for (const Case& c : cases) {
        char32_t codePoint = 0;
        EXPECT_EQ(textcodec::DecodeUtf8(c.bytes, 0, codePoint), c.length) << c.bytes;
        if (c.length != 0) {
            EXPECT_EQ(codePoint, c.codePoint) << c.bytes;
            std::string again;
            textcodec::AppendUtf8(again, codePoint);
            EXPECT_EQ(again, c.bytes);
        }
        EXPECT_EQ(textcodec::IsValidUtf8(c.bytes), c.length != 0) << c.bytes;
    }
    // The eight-byte fast path must not skip a bad byte that follows a long ASCII run.
    EXPECT_FALSE(textcodec::IsValidUtf8("abcdefghijklmnop\xC0\xAF"));
    EXPECT_TRUE(textcodec::IsValidUtf8("abcdefghijklmnop\xC3\xA9"));
}

TEST(Utf8, ToUtf16ReplacesEachBadByteAndSplitsSupplementaryCharacters) {
    EXPECT_EQ(textcodec::Utf8ToUtf16("a\xF0\x9F\x98\x80"), (std::u16string{u'a', 0xD83D, 0xDE00}));
    // A truncated sequence costs one replacement per byte, and the next character survives.
    EXPECT_EQ(textcodec::Utf8ToUtf16("\xE2\x82x"), (std::u16string{0xFFFD, 0xFFFD, u'x'}));
    EXPECT_EQ(textcodec::Utf8ToUtf16(std::string("a\0b", 3)), (std::u16string{u'a', 0, u'b'}));
}

TEST(Windows1252, MapsTheHighRangeAndKeepsLatin1) {
    EXPECT_EQ(textcodec::Windows1252ToUtf8("\x80\x96\x9F"), "\xE2\x82\xAC\xE2\x80\x93\xC5\xB8");
    EXPECT_EQ(textcodec::Windows1252ToUtf8("\xA0\xE9\xFF"), "\xC2\xA0\xC3\xA9\xC3\xBF");
    EXPECT_EQ(textcodec::Windows1252CodePoint(0x8D), 0x8Du);  // undefined: the C1 control
    EXPECT_EQ(textcodec::Windows1252CodePoint('A'), U'A');
}

TEST(SystemDecoder, DecodesCodePagesAndStopsAtBytesThatAreNoCharacter) {
    EXPECT_FALSE(textcodec::SystemDecoder::ForName("no-such-encoding").has_value());
    auto cyrillic = textcodec::SystemDecoder::ForCodePage(1251);
    ASSERT_TRUE(cyrillic.has_value());
    // Each byte becomes two: beyond the first guess of the output's size.
    const std::string many(10000, '\xE0');
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        expected += "\xD0\xB0";
    }
    const textcodec::Decoded long_ = cyrillic->Decode(many);
    EXPECT_TRUE(long_.complete);
    EXPECT_EQ(long_.text, expected);

    auto japanese = textcodec::SystemDecoder::ForName("SHIFT_JIS");
    ASSERT_TRUE(japanese.has_value());
    // "ab" then a lead byte with an invalid trail byte.
    const textcodec::Decoded bad = japanese->Decode("ab\x81\x20");
    EXPECT_FALSE(bad.complete);
    EXPECT_EQ(bad.text, "ab");
    ASSERT_TRUE(bad.badOffset.has_value());
    EXPECT_EQ(*bad.badOffset, 2u);
    // The same decoder after a failure: nothing of the last text is left over.
    const textcodec::Decoded good = japanese->Decode("\x82\xA0");
    EXPECT_TRUE(good.complete);
    EXPECT_EQ(good.text, "\xE3\x81\x82");
    // A character cut off by the end is not text either.
    EXPECT_FALSE(japanese->Decode("x\x82").complete);

    // Moving a decoder hands over its converter; the moved-from one closes nothing twice.
    textcodec::SystemDecoder moved = std::move(*japanese);
    japanese.reset();
    EXPECT_EQ(moved.Decode("\x82\xA0").text, "\xE3\x81\x82");
}

}  // namespace
