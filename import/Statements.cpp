#include "import/Statements.h"

#include <algorithm>
#include <cstring>

#include "textcodec/ByteSearch.h"

namespace quillmere {
namespace {

// Cuts count characters from the end; text shorter than that becomes empty.
void DropLast(std::string& text, size_t count) {
    text.resize(text.size() > count ? text.size() - count : 0);
}

}  // namespace

std::string CreateTableStatement(std::string_view table, const std::vector<std::string>& columns,
                                 const std::vector<bool>& longText) {
    std::string text = "CREATE TABLE `";
    text.append(table);
    text.append("`(");
    for (size_t j = 0; j < columns.size(); ++j) {
        text.push_back('`');
        text.append(columns[j]);
        text.append(j < longText.size() && longText[j] ? "` LONGTEXT, " : "` VARCHAR, ");
    }
    // Without columns this cuts "`(" and leaves a statement the database rejects.
    DropLast(text, 2);
    text.append(");");
    return text;
}

void BuildInsertRowStatement(std::string& out, std::string_view table,
                             std::span<const std::string_view> values,
                             const std::vector<bool>& emptyAsNull) {
    constexpr std::string_view kStart = "INSERT INTO `";
    constexpr std::string_view kValues = "` VALUES(";
    // Once a line: the text is written in place into room for the longest it can be (every
    // character an apostrophe), then cut to what it took.
    std::size_t most = kStart.size() + table.size() + kValues.size() + 2;
    for (const auto value : values) {
        most += std::max<std::size_t>(5, 2 * value.size() + 3);  // NULL, or '...',
    }
    out.resize(most);
    char* p = out.data();
    auto put = [&p](std::string_view text) {
        if (!text.empty()) {  // an empty view may have no data pointer at all
            std::memcpy(p, text.data(), text.size());
            p += text.size();
        }
    };
    put(kStart);
    put(table);
    put(kValues);
    for (size_t j = 0; j < values.size(); ++j) {
        const auto value = values[j];
        if (value.empty() && j < emptyAsNull.size() && emptyAsNull[j]) {
            put("NULL,");
            continue;
        }
        *p++ = '\'';
        if (value.empty() || textcodec::FindByte(value.data(), value.data() + value.size(), '\'') ==
                                 value.data() + value.size()) {
            put(value);
        } else {
            for (const char c : value) {
                *p++ = c;
                if (c == '\'') {
                    *p++ = '\'';
                }
            }
        }
        put("',");
    }
    --p;  // the last comma; without values the parenthesis, leaving text the database rejects
    put(");");
    out.resize(static_cast<std::size_t>(p - out.data()));
}

std::string InsertRowStatement(std::string_view table, std::span<const std::string_view> values) {
    std::string text;
    BuildInsertRowStatement(text, table, values);
    return text;
}

std::string ColumnCheckQuery(std::string_view table) {
    std::string text = "SELECT * FROM `";
    text.append(table);
    text.push_back('`');
    return text;
}

}  // namespace quillmere
