#include "import/Statements.h"

namespace quillmere {
namespace {

// Cuts count characters from the end; text shorter than that becomes empty.
void DropLast(std::string& text, size_t count) {
    text.resize(text.size() > count ? text.size() - count : 0);
}

void AppendDoublingApostrophes(std::string& out, std::string_view value) {
    size_t from = 0;
    for (;;) {
        const size_t apostrophe = value.find('\'', from);
        if (apostrophe == std::string_view::npos) {
            out.append(value.substr(from));
            return;
        }
        out.append(value.substr(from, apostrophe + 1 - from));
        out.push_back('\'');
        from = apostrophe + 1;
    }
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
    out.assign("INSERT INTO `");
    out.append(table);
    out.append("` VALUES(");
    for (size_t j = 0; j < values.size(); ++j) {
        const auto value = values[j];
        if (value.empty() && j < emptyAsNull.size() && emptyAsNull[j]) {
            out.append("NULL,");
            continue;
        }
        out.push_back('\'');
        AppendDoublingApostrophes(out, value);
        out.append("',");
    }
    DropLast(out, 1);
    out.append(");");
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
