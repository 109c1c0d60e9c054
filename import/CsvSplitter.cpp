#include "import/CsvSplitter.h"

#include <algorithm>
#include <cstring>

#include "import/ImportError.h"
#include "textcodec/ByteSearch.h"

namespace quillmere {
namespace {

constexpr char kQuote = '"';

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// The position of the quote that closes a quoted field whose content starts at from, skipping
// doubled quotes; npos when the text ends first. Sets doubled when any doubled quote was seen.
size_t FindClosingQuote(std::string_view text, size_t from, bool& doubled) {
    for (;;) {
        const size_t quote = text.find(kQuote, from);
        if (quote == std::string_view::npos) {
            return quote;
        }
        if (quote + 1 < text.size() && text[quote + 1] == kQuote) {
            doubled = true;
            from = quote + 2;
            continue;
        }
        return quote;
    }
}

// Just past the quote that closes the quoted field opening at `quote` in `text`. Throws
// ImportError naming the file and the line when it never closes.
const char* PastQuotedField(std::string_view text, const char* quote, const std::string& filePath) {
    bool doubled = false;
    const size_t offset = static_cast<size_t>(quote - text.data());
    const size_t closing = FindClosingQuote(text, offset + 1, doubled);
    if (closing == std::string_view::npos) {
        throw ImportError("The file " + filePath +
                          " has a quoted field that is never closed: its opening quote is on "
                          "line " +
                          std::to_string(LineNumberAt(text, offset)) + ".");
    }
    return text.data() + closing + 1;
}

}  // namespace

CsvSplitter::CsvSplitter(std::string delimiter) : delimiter_(std::move(delimiter)) {
    quoting_ = delimiter_.find(kQuote) == std::string::npos;
    delimiterMatches_ =
        !delimiter_.empty() && delimiter_.find_first_of("\r\n") == std::string::npos;
}

size_t CsvSplitter::FindDelimiter(std::string_view line, size_t from) const {
    if (!delimiterMatches_) {
        return std::string_view::npos;
    }
    // One character (the usual comma, semicolon or tab): the plain character search.
    if (delimiter_.size() == 1) {
        if (from >= line.size()) {
            return std::string_view::npos;
        }
        const char* end = line.data() + line.size();
        const char* at = textcodec::FindByte(line.data() + from, end, delimiter_[0]);
        return at == end ? std::string_view::npos : static_cast<size_t>(at - line.data());
    }
    return line.find(delimiter_, from);
}

CsvLines CsvSplitter::SplitLines(std::string_view text, const std::string& filePath) const {
    CsvLines lines(text);
    if (text.empty()) {
        return lines;
    }
    if (quoting_ && (delimiter_.size() == 1 || !delimiterMatches_)) {
        SplitLinesSingleDelimiter(text, filePath, lines);
        return lines;
    }
    // Bytes that need a closer look; everything else is skipped in a tight loop.
    bool special[256] = {};
    special[static_cast<unsigned char>('\n')] = true;
    special[static_cast<unsigned char>('\r')] = true;
    if (delimiterMatches_) {
        special[static_cast<unsigned char>(delimiter_[0])] = true;
    }
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* lineStart = begin;
    const char* p = begin;
    bool atFieldStart = true;
    while (p < end) {
        if (atFieldStart && quoting_ && *p == kQuote) {
            p = PastQuotedField(text, p, filePath);
            atFieldStart = false;
            continue;
        }
        atFieldStart = false;
        while (p < end && !special[static_cast<unsigned char>(*p)]) {
            ++p;
        }
        if (p == end) {
            break;
        }
        if (IsLineBreak(*p)) {
            lines.AddLineStart(static_cast<size_t>(lineStart - begin));
            if (*p == '\r' && p + 1 < end && p[1] == '\n') {
                ++p;
            }
            lineStart = ++p;
            atFieldStart = true;
        } else if (static_cast<size_t>(end - p) >= delimiter_.size() &&
                   std::memcmp(p, delimiter_.data(), delimiter_.size()) == 0) {
            p += delimiter_.size();
            atFieldStart = true;
        } else {
            ++p;
        }
    }
    lines.AddLineStart(static_cast<size_t>(lineStart - begin));
    return lines;
}

void CsvSplitter::SplitLinesSingleDelimiter(std::string_view text, const std::string& filePath,
                                            CsvLines& lines) const {
    // With a one-character delimiter a field starts where the line starts or right after a
    // delimiter outside quotes. Quoted fields are skipped whole, so the character before a
    // quote found outside them tells whether the quote opens a field, and the scan need stop
    // only at line breaks and quotes, not at every delimiter.
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const int delimiter = delimiterMatches_ ? static_cast<unsigned char>(delimiter_[0]) : -1;
    const char* lineStart = begin;
    const char* p = begin;
    for (;;) {
        p = textcodec::FindFirstOf3(p, end, '\n', '\r', kQuote);
        if (p == end) {
            break;
        }
        if (*p == kQuote) {
            if (p != lineStart && static_cast<unsigned char>(p[-1]) != delimiter) {
                ++p;  // inside a field: an ordinary character
                continue;
            }
            p = PastQuotedField(text, p, filePath);
            continue;
        }
        lines.AddLineStart(static_cast<size_t>(lineStart - begin));
        if (*p == '\r' && p + 1 < end && p[1] == '\n') {
            ++p;
        }
        lineStart = ++p;
    }
    lines.AddLineStart(static_cast<size_t>(lineStart - begin));
}

void CsvSplitter::SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    if (line.empty()) {
        return;
    }
    // Unquoted text is never longer than the line, so reserving the line's length keeps the
    // views into this buffer valid while it fills.
    unquoted_.clear();
    unquoted_.reserve(line.size());
    size_t start = 0;
    for (;;) {
        size_t fieldEnd;
        if (quoting_ && start < line.size() && line[start] == kQuote) {
            bool doubled = false;
            size_t closing = FindClosingQuote(line, start + 1, doubled);
            // A line from SplitLines always closes its quotes; any other text runs to its end.
            const size_t contentEnd = closing == std::string_view::npos ? line.size() : closing;
            const size_t after = closing == std::string_view::npos ? line.size() : closing + 1;
            const size_t delimiter = FindDelimiter(line, after);
            fieldEnd = delimiter == std::string_view::npos ? line.size() : delimiter;
            const auto content = line.substr(start + 1, contentEnd - start - 1);
            if (!doubled && after == fieldEnd) {
                fields.push_back(content);
            } else {
                const size_t from = unquoted_.size();
                for (size_t i = 0; i < content.size(); ++i) {
                    unquoted_.push_back(content[i]);
                    if (content[i] == kQuote && i + 1 < content.size()) {
                        ++i;  // the second quote of a doubled pair
                    }
                }
                unquoted_.append(line.substr(after, fieldEnd - after));
                fields.emplace_back(unquoted_.data() + from, unquoted_.size() - from);
            }
        } else {
            const size_t delimiter = FindDelimiter(line, start);
            fieldEnd = delimiter == std::string_view::npos ? line.size() : delimiter;
            fields.push_back(line.substr(start, fieldEnd - start));
        }
        if (fieldEnd == line.size()) {
            return;
        }
        start = fieldEnd + delimiter_.size();
    }
}

std::vector<std::string> SplitFields(std::string_view line, const std::string& delimiter) {
    CsvSplitter splitter(delimiter);
    std::vector<std::string_view> views;
    splitter.SplitFields(line, views);
    return {views.begin(), views.end()};
}

void ShapeRow(std::vector<std::string_view>& fields, size_t columnCount) {
    fields.resize(columnCount);
}

DataLineRange SelectDataLines(size_t lineCount, size_t firstIndex) {
    DataLineRange range;
    if (lineCount < 2 || firstIndex > lineCount - 1) {
        return range;
    }
    range.first = firstIndex;
    range.last = lineCount - 1;
    range.empty = false;
    return range;
}

size_t LineNumberAt(std::string_view text, size_t offset) {
    size_t number = 1;
    const size_t stop = std::min(offset, text.size());
    for (size_t i = 0; i < stop; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++number;
        }
    }
    return number;
}

}  // namespace quillmere
