#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "import/CsvSplitter.h"
#include "import/ImportError.h"

namespace quillmere {
namespace {

using Lines = std::vector<std::string>;
using Fields = std::vector<std::string>;

Lines SplitLinesOf(std::string_view text, const std::string& delimiter = ",") {
    CsvSplitter splitter(delimiter);
    const auto views = splitter.SplitLines(text, "/data/in.csv");
    return {views.begin(), views.end()};
}

TEST(SplitLines, EveryLineEndCutsOnceAndAFinalOneLeavesAnEmptyLine) {
    EXPECT_EQ(SplitLinesOf("a,b\r\nc,d"), (Lines{"a,b", "c,d"}));
    EXPECT_EQ(SplitLinesOf("a,b\n"), (Lines{"a,b", ""}));
    EXPECT_EQ(SplitLinesOf("a,b"), (Lines{"a,b"}));
    EXPECT_EQ(SplitLinesOf(""), Lines{});
    EXPECT_EQ(SplitLinesOf("\n"), (Lines{"", ""}));
    // A lone CR ends a line too, so files with CR-only line ends have their lines.
    EXPECT_EQ(SplitLinesOf("a,b\rc,d\r"), (Lines{"a,b", "c,d", ""}));
    EXPECT_EQ(SplitLinesOf("a\rb,c"), (Lines{"a", "b,c"}));
    EXPECT_EQ(SplitLinesOf("x\r\n\ry\n\r\n"), (Lines{"x", "", "y", "", ""}));
}

TEST(SplitLines, LineBreaksInsideQuotesStayInTheLine) {
    EXPECT_EQ(SplitLinesOf("id,note\r\n1,\"two\r\nlines\"\r\n2,\"a\rb\nc\"\n3,x"),
              (Lines{"id,note", "1,\"two\r\nlines\"", "2,\"a\rb\nc\"", "3,x"}));
    // Only a quote that starts a field opens quotes; elsewhere it is an ordinary character.
    EXPECT_EQ(SplitLinesOf("a,b\"c\nd,e"), (Lines{"a,b\"c", "d,e"}));
    EXPECT_EQ(SplitLinesOf("5\" pipe,x\ny,z"), (Lines{"5\" pipe,x", "y,z"}));
    // Doubled quotes inside quotes do not close them.
    EXPECT_EQ(SplitLinesOf("\"say \"\"hi\nthere\"\"\",1\n2,3"),
              (Lines{"\"say \"\"hi\nthere\"\"\",1", "2,3"}));
    // A field starts after the whole delimiter only.
    EXPECT_EQ(SplitLinesOf("a||\"b\nc\"||d\ne", "||"), (Lines{"a||\"b\nc\"||d", "e"}));
    EXPECT_EQ(SplitLinesOf("a|\"b\nc\"", "||"), (Lines{"a|\"b", "c\""}));
    // A line break just inside the closing quote stays, whichever break follows the quote.
    EXPECT_EQ(SplitLinesOf("\"x\r\"\r\n\"y\r\n\"\n\"z\r\"\rw"),
              (Lines{"\"x\r\"", "\"y\r\n\"", "\"z\r\"", "w"}));
}

TEST(SplitLines, AnUnclosedQuoteNamesTheFileAndTheLineItOpensOn) {
    CsvSplitter splitter(",");
    try {
        splitter.SplitLines("h1,h2\r\nok,1\rnext,\"open\nand on\n", "/data/in.csv");
        FAIL() << "no error for an unclosed quote";
    } catch (const ImportError& error) {
        EXPECT_STREQ(error.what(),
                     "The file /data/in.csv has a quoted field that is never closed: its "
                     "opening quote is on line 3.");
    }
    // A quote closed by the very last character is fine; an odd one after it is not.
    EXPECT_NO_THROW(splitter.SplitLines("\"a\"", "f"));
    EXPECT_THROW(splitter.SplitLines("\"a\"\"", "f"), ImportError);
}

// Lines as a plain character-by-character reading of the rules finds them; nullopt where a
// quoted field never closes.
std::optional<Lines> ReferenceLines(std::string_view text, std::string_view delimiter) {
    Lines lines;
    if (text.empty()) {
        return lines;
    }
    const bool quoting = delimiter.find('"') == std::string_view::npos;
    const bool matches =
        !delimiter.empty() && delimiter.find_first_of("\r\n") == std::string_view::npos;
    std::string line;
    bool fieldStart = true;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (fieldStart && quoting && c == '"') {
            size_t j = i + 1;
            for (;;) {
                if (j >= text.size()) {
                    return std::nullopt;
                }
                if (text[j] == '"' && j + 1 < text.size() && text[j + 1] == '"') {
                    j += 2;
                } else if (text[j] == '"') {
                    break;
                } else {
                    ++j;
                }
            }
            line.append(text.substr(i, j + 1 - i));
            i = j + 1;
            fieldStart = false;
        } else if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            fieldStart = true;
        } else if (matches && text.substr(i, delimiter.size()) == delimiter) {
            line.append(delimiter);
            i += delimiter.size();
            fieldStart = true;
        } else {
            line.push_back(c);
            ++i;
            fieldStart = false;
        }
    }
    lines.push_back(line);
    return lines;
}

TEST(SplitLines, AgreesWithACharacterByCharacterReadingOnRandomText) {
    std::mt19937 random(7);
    const std::string alphabet = "ab,;\"\r\n\t";
    for (const std::string delimiter : {",", ";", "\t", ",;", "", "\n"}) {
        for (int round = 0; round < 3000; ++round) {
            std::string text(random() % 40, 'a');
            for (char& c : text) {
                c = alphabet[random() % alphabet.size()];
            }
            const auto expected = ReferenceLines(text, delimiter);
            SCOPED_TRACE("delimiter '" + delimiter + "', text '" + text + "'");
            if (!expected) {
                EXPECT_THROW(SplitLinesOf(text, delimiter), ImportError);
            } else {
                EXPECT_EQ(SplitLinesOf(text, delimiter), *expected);
            }
        }
    }
}

TEST(SplitFields, UnquotedTextCutsAtEveryDelimiterAndKeepsEverythingElse) {
    EXPECT_EQ(SplitFields("a, b,c", ", "), (Fields{"a", "b,c"}));
    EXPECT_EQ(SplitFields("a|b||c", "||"), (Fields{"a|b", "c"}));
    EXPECT_EQ(SplitFields(",a,,b,", ","), (Fields{"", "a", "", "b", ""}));
    EXPECT_EQ(SplitFields(" a ; b ", ";"), (Fields{" a ", " b "}));
    EXPECT_EQ(SplitFields("a\tb", "\t"), (Fields{"a", "b"}));
    EXPECT_EQ(SplitFields("", ","), Fields{});
    EXPECT_EQ(SplitFields("a,b", ""), (Fields{"a,b"}));
    EXPECT_EQ(SplitFields("abc", ","), (Fields{"abc"}));
    EXPECT_EQ(SplitFields("a,,,b", ",,"), (Fields{"a", ",b"}));
}

TEST(SplitFields, QuotedFieldsHoldDelimitersLineBreaksAndDoubledQuotes) {
    EXPECT_EQ(SplitFields("\"Smith, John\",42", ","), (Fields{"Smith, John", "42"}));
    EXPECT_EQ(SplitFields("\"He said \"\"no\"\"\",x", ","), (Fields{"He said \"no\"", "x"}));
    EXPECT_EQ(SplitFields("1,\"two\r\nlines\"", ","), (Fields{"1", "two\r\nlines"}));
    EXPECT_EQ(SplitFields("\"\",\"\"\"\"", ","), (Fields{"", "\""}));
    // Text after the closing quote is kept as written, quotes included.
    EXPECT_EQ(SplitFields("\"ab\"cd,e", ","), (Fields{"abcd", "e"}));
    EXPECT_EQ(SplitFields("\"a\"\"b\"c\"d,e", ","), (Fields{"a\"bc\"d", "e"}));
    // A quote inside an unquoted field is data.
    EXPECT_EQ(SplitFields("5\" pipe,O\"Neil", ","), (Fields{"5\" pipe", "O\"Neil"}));
    EXPECT_EQ(SplitFields(" \"a,b\"", ","), (Fields{" \"a", "b\""}));
    EXPECT_EQ(SplitFields("\"a, b\", \"c, d\"", ", "), (Fields{"a, b", "c, d"}));
    EXPECT_EQ(SplitFields("\"x||y\"||z", "||"), (Fields{"x||y", "z"}));
    // Without a delimiter the whole line is one field, still unquoted.
    EXPECT_EQ(SplitFields("\"a,b\"", ""), (Fields{"a,b"}));
    // A delimiter that holds a quote turns quoting off.
    EXPECT_EQ(SplitFields("\"a\"b\"", "\""), (Fields{"", "a", "b", ""}));
}

TEST(SplitFields, ReusedViewsStayValidForTheWholeLine) {
    CsvSplitter splitter(",");
    std::vector<std::string_view> fields;
    splitter.SplitFields("\"a\"\"1\",\"b\"\"2\",\"c\"\"3\",plain", fields);
    EXPECT_EQ(Fields(fields.begin(), fields.end()), (Fields{"a\"1", "b\"2", "c\"3", "plain"}));
    splitter.SplitFields("x,y", fields);
    EXPECT_EQ(Fields(fields.begin(), fields.end()), (Fields{"x", "y"}));
}

TEST(ShapeRowAndSelection, RowsArePaddedOrCutToTheFirstLinesCount) {
    std::vector<std::string_view> fields{"x", "y"};
    ShapeRow(fields, 3);
    EXPECT_EQ(Fields(fields.begin(), fields.end()), (Fields{"x", "y", ""}));
    fields = {"p", "q", "r", "s", "t"};
    ShapeRow(fields, 3);
    EXPECT_EQ(Fields(fields.begin(), fields.end()), (Fields{"p", "q", "r"}));

    EXPECT_TRUE(SelectDataLines(1, 0).empty);  // no line end: no rows in any mode
    const auto range = SelectDataLines(5, 1);
    EXPECT_FALSE(range.empty);
    EXPECT_EQ(range.first, 1u);
    EXPECT_EQ(range.last, 4u);
    EXPECT_EQ(SelectDataLines(2, 0).first, 0u);
}

TEST(DataLines, NeedTwoFieldsExceptInAOneColumnFile) {
    using Views = std::vector<std::string_view>;
    EXPECT_FALSE(IsDataLine("abc", Views{"abc"}, 2));
    EXPECT_FALSE(IsDataLine("", Views{}, 2));
    EXPECT_TRUE(IsDataLine(",", Views{"", ""}, 2));
    // With one column a lone value is a row; an empty line or an empty quoted value is not.
    EXPECT_TRUE(IsDataLine("ann@example.org", Views{"ann@example.org"}, 1));
    EXPECT_TRUE(IsDataLine("a,b", Views{"a", "b"}, 1));
    EXPECT_FALSE(IsDataLine("\"\"", Views{""}, 1));
    EXPECT_FALSE(IsDataLine("", Views{}, 1));
}

TEST(LineNumberAt, CountsEveryKindOfLineEndOnce) {
    const std::string_view text = "a\r\nb\rc\nd";
    EXPECT_EQ(LineNumberAt(text, 0), 1u);
    EXPECT_EQ(LineNumberAt(text, 3), 2u);
    EXPECT_EQ(LineNumberAt(text, 5), 3u);
    EXPECT_EQ(LineNumberAt(text, 7), 4u);
}

}  // namespace
}  // namespace quillmere
