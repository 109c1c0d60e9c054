#include <gtest/gtest.h>

#include "import/FileReading.h"
#include "import/ImportError.h"
#include "import/TextDecoding.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {

using testing::TempFolder;

TEST(Decoding, ByteOrderMarksAreRecognisedAndRemoved) {
    EXPECT_EQ(DecodeText("\xEF\xBB\xBFName,Age\r\n"), "Name,Age\r\n");
    // UTF-16 LE and BE: "Nä,€" with a CR LF.
    const std::string le("\xFF\xFEN\0\xE4\0,\0\xAC\x20\r\0\n\0", 14);
    const std::string be("\xFE\xFF\0N\0\xE4\0,\x20\xAC\0\r\0\n", 14);
    EXPECT_EQ(DetectEncoding(le), TextEncoding::Utf16LittleEndian);
    EXPECT_EQ(DecodeText(le), "N\xC3\xA4,\xE2\x82\xAC\r\n");
    EXPECT_EQ(DecodeText(be), "N\xC3\xA4,\xE2\x82\xAC\r\n");
    // A surrogate pair becomes one four-byte character; a lone surrogate and a stray last byte
    // become the replacement character.
    EXPECT_EQ(DecodeText(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6)), "\xF0\x9F\x98\x80");
    EXPECT_EQ(DecodeText(std::string("\xFF\xFE\x00\xD8x", 5)), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // A UTF-8 mark followed by bytes that are not UTF-8: they are replaced, not reinterpreted.
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF"
                         "caf\xE9"),
              "caf\xEF\xBF\xBD");
}

TEST(Decoding, ValidUtf8IsKeptAndAnythingElseIsWindows1252) {
    EXPECT_EQ(DetectEncoding("Z\xC3\xBCrich,\xE2\x82\xAC"), TextEncoding::Utf8);
    EXPECT_EQ(DecodeText("Z\xC3\xBCrich,\xE2\x82\xAC"), "Z\xC3\xBCrich,\xE2\x82\xAC");
    // "Café €5 – naïve" in Windows-1252, with a long ASCII run so the eight-byte path is used.
    EXPECT_EQ(DetectEncoding("abcdefghijklmnop,Caf\xE9 \x80"
                             "5 \x96 na\xEFve"),
              TextEncoding::Ansi);
    EXPECT_EQ(DecodeText("abcdefghijklmnop,Caf\xE9 \x80"
                         "5 \x96 na\xEFve"),
              "abcdefghijklmnop,Caf\xC3\xA9 \xE2\x82\xAC"
              "5 \xE2\x80\x93 na\xC3\xAFve");
    // Overlong forms, encoded surrogates and truncated sequences are not UTF-8.
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(IsValidUtf8("ab\xE2\x82"));
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));
    // The bytes Windows-1252 leaves undefined map to the C1 controls of the same value.
    EXPECT_EQ(Windows1252ToUtf8("\x81\x9F"), "\xC2\x81\xC5\xB8");
}

TEST(ReadWholeFile, ReadsDecodesAndNamesTheFileItCannotRead) {
    TempFolder folder;
    EXPECT_EQ(ReadWholeFile(folder.Write("empty.csv", "")), "");
    EXPECT_EQ(ReadWholeFile(folder.Write("bom.csv", "\xEF\xBB\xBFx,y")), "x,y");
    const std::string big(3 << 20, 'a');  // beyond one read chunk
    EXPECT_EQ(ReadWholeFile(folder.Write("big.csv", big)).size(), big.size());

    const std::string missing = (folder.Path() / "missing.csv").string();
    try {
        ReadWholeFile(missing);
        FAIL() << "no error for a missing file";
    } catch (const ImportError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot read the file " + missing + ": No such file or directory.");
    }
    EXPECT_THROW(ReadWholeFile(folder.Path().string()), ImportError);
}

}  // namespace
}  // namespace quillmere
