// A file without a mark that is not UTF-8 is read in the system's ANSI code page on Windows
// (GetACP), so a Cyrillic or Greek Windows reads its own exports right.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "import/TextDecoding.h"
#include "textcodec/SystemDecoder.h"

namespace quillmere {
namespace {

TEST(AnsiCodePageWindows, TextWithoutAMarkIsReadInTheCodePageGetAcpNames) {
    std::string bytes = "abcdefghijklmnop,";
    for (int c = 0xA0; c <= 0xFF; ++c) {
        bytes.push_back(static_cast<char>(c));  // no lead byte here is followed by a trail byte
    }
    ASSERT_EQ(DetectEncoding(bytes), TextEncoding::Ansi);
    auto decoder = textcodec::SystemDecoder::ForCodePage(GetACP());
    ASSERT_TRUE(decoder.has_value()) << GetACP();
    const textcodec::Decoded expected = decoder->Decode(bytes);
    if (!expected.complete) {
        GTEST_SKIP() << "code page " << GetACP() << " is not a single-byte page";
    }
    EXPECT_EQ(DecodeText(bytes), expected.text);
    if (GetACP() == 1252) {  // Wine's page for an en_US locale
        EXPECT_EQ(DecodeText("abcdefghijklmnop,Caf\xE9 \x80"
                             "5 \x96 na\xEFve"),
                  "abcdefghijklmnop,Caf\xC3\xA9 \xE2\x82\xAC"
                  "5 \xE2\x80\x93 na\xC3\xAFve");
    }
}

}  // namespace
}  // namespace quillmere
