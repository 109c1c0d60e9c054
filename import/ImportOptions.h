#pragma once
#include <optional>
#include <string>

namespace quillmere {

enum class ImportMode { None, CreateTables, AppendToTable };
enum class ColumnNaming { None, FromFirstLine, AskUser, Automatic };

// The choices an import run works with.
struct ImportOptions {
    std::string delimiter = ",";
    ImportMode mode = ImportMode::CreateTables;
    ColumnNaming columnNaming = ColumnNaming::FromFirstLine;
    std::string tableNamePattern = "NewTable[counter]";
    std::string fieldNamePattern = "NewField[counter]";
    bool skipFirstLine = false;
    std::optional<std::string> appendTable;
};

}  // namespace quillmere
