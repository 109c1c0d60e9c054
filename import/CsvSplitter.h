#pragma once
// Cutting a file's text into lines and a line into fields.
//
// A field that begins with a double quote is quoted: it runs to the matching closing quote and
// may hold the delimiter, line breaks and doubled quotes (standing for one quote); the enclosing
// quotes are removed and whatever follows the closing quote up to the next delimiter is kept as
// written. A quote anywhere else is an ordinary character. Outside quotes CR LF, LF and a lone
// CR each end a line. Text without quotes therefore splits at every line break and at every
// occurrence of the delimiter, and nothing is ever trimmed.
//
// Whether a quote opens a quoted field depends on where fields start, so the line split needs
// the delimiter as well: one splitter serves one file with one delimiter.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "import/CsvLines.h"

namespace quillmere {

class CsvSplitter {
  public:
    explicit CsvSplitter(std::string delimiter);

    const std::string& Delimiter() const { return delimiter_; }

    // The lines of the text, read as views into it (the text must outlive them). k line ends
    // give k + 1 lines (text that ends with a line end has an empty last line); the empty text
    // gives no lines at all. Throws ImportError naming filePath and the line where a quoted
    // field opens that never closes.
    CsvLines SplitLines(std::string_view text, const std::string& filePath) const;

    // The fields of one line as SplitLines gave it. k delimiters outside quotes give k + 1
    // fields; the empty line gives no fields; the empty delimiter gives the whole line as one
    // field. The views point into the line or into this splitter, and stay valid until the next
    // call. The vector is reused, so splitting many lines allocates nothing once warmed up.
    void SplitFields(std::string_view line, std::vector<std::string_view>& fields);

  private:
    size_t FindDelimiter(std::string_view line, size_t from) const;
    // SplitLines for the usual case of quoting and a delimiter of one character (or none that
    // can match).
    void SplitLinesSingleDelimiter(std::string_view text, const std::string& filePath,
                                   CsvLines& lines) const;

    std::string delimiter_;
    // Quoting is off when the delimiter itself holds a quote; a delimiter holding a line break
    // never matches, since lines are cut first.
    bool quoting_ = true;
    bool delimiterMatches_ = true;
    std::string unquoted_;  // fields whose text differs from the line's (doubled quotes)
};

// One line's fields as separate strings, for callers outside the row loop.
std::vector<std::string> SplitFields(std::string_view line, const std::string& delimiter);

// Exactly columnCount values: the fields, padded on the right with empty values or cut.
void ShapeRow(std::vector<std::string_view>& fields, size_t columnCount);

// A line is a data line when it is not empty and has at least two fields (it holds the
// delimiter outside quotes at least once); other lines are skipped without a message. A file
// whose first line has one field (a list of e-mail addresses) would otherwise store nothing, so
// there a line with one non-empty field is a data line too.
inline bool IsDataLine(std::string_view line, std::span<const std::string_view> fields,
                       size_t columnCount) {
    if (line.empty()) {
        return false;
    }
    return fields.size() >= 2 || (columnCount == 1 && fields.size() == 1 && !fields[0].empty());
}

// The indexes of the lines that may become rows, from first to the last line. None when the
// text has fewer than two lines: a file without any line end gives no rows.
struct DataLineRange {
    size_t first = 0;
    size_t last = 0;
    bool empty = true;
};
DataLineRange SelectDataLines(size_t lineCount, size_t firstIndex);

// The 1-based number of the line (as an editor counts them: CR LF, LF and lone CR each end one)
// on which the character at offset stands.
size_t LineNumberAt(std::string_view text, size_t offset);

}  // namespace quillmere
