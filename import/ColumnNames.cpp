#include "import/ColumnNames.h"

#include "app/Prompts.h"
#include "import/CharacterFilter.h"
#include "import/TableNames.h"

namespace quillmere {

std::vector<std::string> ColumnsFromFirstLine(const std::vector<std::string_view>& fields,
                                              const std::function<void()>& yield) {
    std::vector<std::string> names;
    names.reserve(fields.size());
    for (const auto field : fields) {
        std::string name = LettersAndDigitsOnly(field);
        if (name.empty()) {
            name = "Field" + std::to_string(names.size() + 1);
        }
        names.push_back(std::move(name));
        if (yield) {
            yield();
        }
    }
    return names;
}

AskedColumns AskColumnNames(Prompts& prompts, size_t columnCount) {
    AskedColumns asked;
    for (size_t j = 0; j < columnCount; ++j) {
        const std::string answer =
            prompts.AskInput("Enter name for column #" + std::to_string(j + 1) + ":", "");
        asked.names.push_back(LettersAndDigitsOnly(answer));
        asked.lastAnswerEmpty = answer.empty();
        if (answer.empty()) {
            break;
        }
    }
    return asked;
}

std::vector<std::string> AutomaticColumns(std::string_view fieldNamePattern, size_t columnCount) {
    const std::string stem = ReplaceCounter(fieldNamePattern, "");
    std::vector<std::string> names;
    names.reserve(columnCount);
    for (size_t j = 0; j < columnCount; ++j) {
        names.push_back(LettersAndDigitsOnly(stem + std::to_string(j + 1)));
    }
    return names;
}

}  // namespace quillmere
