#pragma once
// The three ways a new table's columns get their names.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

class Prompts;

// From the fields of the first line: every field gives a column named by its letters and digits
// ("Home Town" gives "HomeTown"). A field that is empty or keeps no letter or digit ("#", a
// trailing delimiter, a header in Cyrillic) is named Field and its 1-based position, as Access
// names unnamed columns, so the table has one column per field and every row fits. Calls yield
// once per field.
std::vector<std::string> ColumnsFromFirstLine(const std::vector<std::string_view>& fields,
                                              const std::function<void()>& yield);

// Asks "Enter name for column #j:" for j from 1 to columnCount. Every answer adds a column
// named by its letters and digits; an empty answer (or Cancel) adds one and stops the
// questions. lastAnswerEmpty is true when the last answer was empty or nothing was asked: the
// table statement is then not executed.
struct AskedColumns {
    std::vector<std::string> names;
    bool lastAnswerEmpty = true;
};
AskedColumns AskColumnNames(Prompts& prompts, size_t columnCount);

// The field-name pattern with every "[counter]" deleted and the column number appended, by
// letters and digits only: "NewField[counter]" gives NewField1, NewField2, ...
std::vector<std::string> AutomaticColumns(std::string_view fieldNamePattern, size_t columnCount);

}  // namespace quillmere
