#pragma once
// Reads a table back through our own engine, for the window tests that import into real files.
#include <string>
#include <vector>

#include "database/ConnectionString.h"
#include "database/DatabaseSession.h"

namespace quillmere::testing {

// The column names first, then every row's values as text, in the table's order.
inline std::vector<std::vector<std::string>> ReadEngineTable(SessionFactory& engine,
                                                             const std::string& path,
                                                             const std::string& table) {
    auto session = engine.Create();
    session->Open(BuildConnectionString(path, ""));
    auto rows =
        session->OpenRecordset("SELECT * FROM `" + table + "`", kCursorStatic, kLockUnspecified);
    std::vector<std::vector<std::string>> result(1);
    for (int i = 0; i < rows->FieldCount(); ++i) {
        result[0].push_back(rows->FieldName(i));
    }
    for (; !rows->AtEnd(); rows->MoveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < rows->FieldCount(); ++i) {
            row.push_back(rows->Value(i));
        }
        result.push_back(row);
    }
    session->Close();
    return result;
}

}  // namespace quillmere::testing
