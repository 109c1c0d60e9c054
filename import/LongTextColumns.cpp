#include "import/LongTextColumns.h"

namespace quillmere {
namespace {

constexpr size_t kYieldEveryLines = 4096;

}  // namespace

size_t Utf16Length(std::string_view utf8) {
    size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        // Every lead byte starts a character; a four-byte one becomes a surrogate pair.
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

std::vector<bool> FindLongTextColumns(CsvSplitter& splitter, const CsvLines& lines,
                                      const DataLineRange& range, size_t columnCount,
                                      const std::function<void()>& yield) {
    std::vector<bool> longText(columnCount, false);
    if (range.empty) {
        return longText;
    }
    std::vector<std::string_view> fields;
    for (size_t r = range.first; r <= range.last && r < lines.size(); ++r) {
        if (yield && (r - range.first + 1) % kYieldEveryLines == 0) {
            yield();
        }
        const std::string_view line = lines[r];
        // A value is never longer than its line, in bytes or in UTF-16 units, so short lines
        // need no splitting.
        if (line.size() <= kTextColumnUnits) {
            continue;
        }
        splitter.SplitFields(line, fields);
        if (!IsDataLine(line, fields, columnCount)) {
            continue;
        }
        ShapeRow(fields, columnCount);
        for (size_t j = 0; j < columnCount; ++j) {
            if (!longText[j] && fields[j].size() > kTextColumnUnits &&
                Utf16Length(fields[j]) > kTextColumnUnits) {
                longText[j] = true;
            }
        }
    }
    return longText;
}

}  // namespace quillmere
