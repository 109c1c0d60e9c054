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
    // The encoding every file is read in (a name iconv knows); empty: told from the bytes.
    std::string encoding;
};

}  // namespace quillmere
