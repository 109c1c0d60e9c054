#include <gtest/gtest.h>

#include "import/FileReading.h"
#include "import/ImportError.h"
#include "import/NamedEncoding.h"
#include "import/TextDecoding.h"
#include "support/EngineImport.h"
#include "support/TempFolder.h"
#include "textcodec/Utf8.h"
#include "textcodec/Windows1252.h"

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
    EXPECT_FALSE(textcodec::IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(textcodec::IsValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(textcodec::IsValidUtf8("ab\xE2\x82"));
    EXPECT_FALSE(textcodec::IsValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_TRUE(textcodec::IsValidUtf8("\xF4\x8F\xBF\xBF"));
    // The bytes Windows-1252 leaves undefined map to the C1 controls of the same value.
    EXPECT_EQ(textcodec::Windows1252ToUtf8("\x81\x9F"), "\xC2\x81\xC5\xB8");
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

using testing::Utf16Bytes;

TEST(Decoding, Utf8WithAFewStrayBytesStaysUtf8) {
    // München and Zürich in UTF-8, Köln with a Windows-1252 ö.
    const std::string mixed = "Stadt\nM\xC3\xBCnchen\nK\xF6ln\nZ\xC3\xBCrich\n";
    EXPECT_EQ(DetectEncoding(mixed), TextEncoding::Utf8WithWindows1252Bytes);
    EXPECT_EQ(DecodeText(mixed), "Stadt\nM\xC3\xBCnchen\nK\xC3\xB6ln\nZ\xC3\xBCrich\n");
    // A stray byte that Windows-1252 maps above U+00FF, and a cut-off sequence at the end.
    EXPECT_EQ(DecodeText("\xC3\xA9t\xC3\xA9 \x80\xC3\xA0 \xC3\xA7"
                         "a \xE2\x82"),
              "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\xC3\xA0 \xC3\xA7"
              "a \xC3\xA2\xE2\x80\x9A");
    // Windows-1252 text in which one pair happens to be valid UTF-8 ("Straße“" is DF 93) is
    // still Windows-1252: its invalid bytes outnumber that one sequence.
    const std::string ansi = "Stra\xDF\x93,K\xF6ln,M\xFCnchen";
    EXPECT_EQ(DetectEncoding(ansi), TextEncoding::Ansi);
    EXPECT_EQ(DecodeText(ansi), "Stra\xC3\x9F\xE2\x80\x9C,K\xC3\xB6ln,M\xC3\xBCnchen");
    // As many invalid bytes as valid sequences: Windows-1252 is the safer reading.
    EXPECT_EQ(DetectEncoding("\xC3\xBC\xFC"), TextEncoding::Ansi);
}

TEST(Decoding, Utf16WithoutAMarkIsToldByItsZeroBytes) {
    const std::u16string latin = u"Name,Stadt\r\nJ\u00fcrgen,K\u00f6ln\r\n";
    EXPECT_EQ(DetectEncoding(Utf16Bytes(latin, false)), TextEncoding::Utf16LittleEndianWithoutBom);
    EXPECT_EQ(DetectEncoding(Utf16Bytes(latin, true)), TextEncoding::Utf16BigEndianWithoutBom);
    const std::string expected = "Name,Stadt\r\nJ\xC3\xBCrgen,K\xC3\xB6ln\r\n";
    EXPECT_EQ(DecodeText(Utf16Bytes(latin, false)), expected);
    EXPECT_EQ(DecodeText(Utf16Bytes(latin, true)), expected);
    // Mostly Cyrillic: only the delimiters and line ends have a zero byte.
    const std::u16string cyrillic =
        u"\u0418\u043c\u044f,\u0413\u043e\u0440\u043e\u0434\r\n\u0410\u043d\u043d\u0430,"
        u"\u041c\u043e\u0441\u043a\u0432\u0430\r\n";
    EXPECT_EQ(DetectEncoding(Utf16Bytes(cyrillic, false)),
              TextEncoding::Utf16LittleEndianWithoutBom);
    EXPECT_EQ(DetectEncoding(Utf16Bytes(cyrillic, true)), TextEncoding::Utf16BigEndianWithoutBom);
    // Zero bytes at both positions alike (padding, binary junk) are no UTF-16, and neither is
    // a rare NUL in UTF-8 text.
    EXPECT_EQ(DetectEncoding(std::string("a,b\0\0\0\0c,d\0\0", 12)), TextEncoding::Utf8);
    std::string rareNul(200, 'x');
    rareNul[101] = '\0';
    EXPECT_EQ(DetectEncoding(rareNul), TextEncoding::Utf8);
}

TEST(NamedEncoding, DecodesWhatDetectionCannotTellAndNamesTheLineItCannotRead) {
    EXPECT_TRUE(IsKnownEncoding("windows-1251"));
    EXPECT_TRUE(IsKnownEncoding("SHIFT_JIS"));
    EXPECT_TRUE(IsKnownEncoding("iso-8859-15"));
    EXPECT_FALSE(IsKnownEncoding("klingon-1"));
    // "Имя,Город" in Windows-1251 would pass for Windows-1252 letters.
    EXPECT_EQ(DecodeNamedEncoding("\xC8\xEC\xFF,\xC3\xEE\xF0\xEE\xE4\r\n", "windows-1251", "f"),
              "\xD0\x98\xD0\xBC\xD1\x8F,\xD0\x93\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB4\r\n");
    // ISO-8859-15 has the euro sign where ISO-8859-1 has the currency sign.
    EXPECT_EQ(DecodeNamedEncoding("\xA4", "iso-8859-15", "f"), "\xE2\x82\xAC");
    // "東京" in Shift_JIS; a mark at the start is dropped, not kept as a character.
    EXPECT_EQ(DecodeNamedEncoding("\x93\x8C\x8B\x9E", "shift_jis", "f"),
              "\xE6\x9D\xB1\xE4\xBA\xAC");
    EXPECT_EQ(DecodeNamedEncoding("\xEF\xBB\xBFx", "utf-8", "f"), "x");
    EXPECT_EQ(DecodeNamedEncoding("", "utf-8", "f"), "");
    // Bytes that are no Shift_JIS character on line 2, and a file cut inside a character.
    try {
        DecodeNamedEncoding("a,b\r\n\x93\x8C,\xFF\xFF\r\n", "shift_jis", "/data/jp.csv");
        FAIL() << "no error for bytes that are not Shift_JIS";
    } catch (const ImportError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The file /data/jp.csv is not shift_jis text: the bytes on line 2 (at byte 8) "
                  "cannot be read in shift_jis.");
    }
    EXPECT_THROW(DecodeNamedEncoding("ok\n\x93", "shift_jis", "f"), ImportError);

    TempFolder folder;
    EXPECT_EQ(ReadWholeFile(folder.Write("1251.csv", "\xC0"), "windows-1251"), "\xD0\x90");
}

}  // namespace
}  // namespace quillmere
