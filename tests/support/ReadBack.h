#pragma once
// Reading an imported database back through independent eyes: our engine, mdb-reader
// (tests/readers/dump.mjs) and Jackcess's checker (accesscheck). A reader that is not installed
// is reported as absent, so the caller can skip it with a message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "accessdb/Database.h"
#include "accessdb_write/WriteSupport.h"

namespace quillmere::testing {

// A table as a reader sees it: column names, column types in mdb-reader's words ("text",
// "memo", ...), and every row's values as text (Null as "<null>").
struct TableSeen {
    std::vector<std::string> columns;
    std::vector<std::string> types;
    std::vector<std::vector<std::string>> rows;
};

inline std::string TypeWord(accessdb::ColumnType type) {
    switch (type) {
        case accessdb::ColumnType::Text:
            return "text";
        case accessdb::ColumnType::Memo:
            return "memo";
        default:
            return "other";
    }
}

inline TableSeen ReadWithEngine(const std::string& path, const std::string& table,
                                const std::string& password = "") {
    auto db = accessdb::Database::Open(path, password);
    TableSeen seen;
    for (const auto& column : db->Table(table)->columns) {
        seen.columns.push_back(column.name);
        seen.types.push_back(TypeWord(column.type));
    }
    auto cursor = db->OpenTable(table);
    while (cursor->Next()) {
        std::vector<std::string> row;
        for (const accessdb::Value& value : cursor->Row()) {
            row.push_back(value.null ? "<null>" : accessdb::FormatValue(value));
        }
        seen.rows.push_back(std::move(row));
    }
    return seen;
}

// One table of dump.mjs's output.
inline TableSeen TableOfDump(const testjson::Value& dumped) {
    TableSeen seen;
    for (const auto& column : dumped["columns"].items) {
        seen.columns.push_back(column["name"].text);
        seen.types.push_back(column["type"].text);
    }
    for (const auto& row : dumped["rows"].items) {
        std::vector<std::string> values;
        for (const auto& column : seen.columns) {
            const testjson::Value& value = row[column];
            values.push_back(value.kind == testjson::Value::Kind::Null ? "<null>" : value.text);
        }
        seen.rows.push_back(std::move(values));
    }
    return seen;
}

// nullopt when node or the mdb-reader package is not installed.
inline std::optional<TableSeen> ReadWithMdbReader(const std::string& path,
                                                  const std::string& table) {
    if (!writetest::HaveMdbReader()) {
        return std::nullopt;
    }
    return TableOfDump(writetest::MdbReaderTable(path, table)["tables"].items.at(0));
}

// Every user table by name, in one run of mdb-reader; nullopt when it is not installed.
inline std::optional<std::map<std::string, TableSeen>> ReadAllWithMdbReader(
    const std::string& path) {
    if (!writetest::HaveMdbReader()) {
        return std::nullopt;
    }
    const std::filesystem::path script =
        std::filesystem::path(std::getenv("QUILLMERE_SOURCE_DIR")) / "tests/readers/dump.mjs";
    const testjson::Value dump =
        testjson::Parser(writetest::RunCapture("node " + writetest::ShellQuote(script.string()) +
                                               " " + writetest::ShellQuote(path)))
            .Parse();
    std::map<std::string, TableSeen> tables;
    for (const auto& table : dump["tables"].items) {
        tables[table["name"].text] = TableOfDump(table);
    }
    return tables;
}

// Jackcess's checker: $QUILLMERE_ACCESSCHECK, else accesscheck in the oracles folder beside
// the shared folder. nullopt when it is not there; else its findings ("" when clean).
inline std::optional<std::string> AccessCheckFindings(const std::string& path) {
    std::filesystem::path tool;
    if (const char* given = std::getenv("QUILLMERE_ACCESSCHECK")) {
        tool = given;
    }
#ifndef _WIN32  // the checker beside the shared folder is a Linux program
    else if (const char* shared = std::getenv("QUILLMERE_SHARED_DIR")) {
        tool = std::filesystem::path(shared).parent_path() / "oracles" / "accesscheck";
    }
#endif
    if (tool.empty() || !std::filesystem::exists(tool)) {
        return std::nullopt;
    }
    int status = 0;
    const std::string output = writetest::RunCapture(
        writetest::ShellQuote(tool.string()) + " --quiet " + writetest::ShellQuote(path) + " 2>&1",
        &status);
    return status == 0 ? std::string() : "exit status " + std::to_string(status) + ": " + output;
}

// Expects the engine and mdb-reader to see exactly `expected` in the table (mdb-reader only
// when installed), and the checker to find nothing.
inline void ExpectTableReadsBack(const std::string& path, const std::string& table,
                                 const TableSeen& expected) {
    const TableSeen engine = ReadWithEngine(path, table);
    EXPECT_EQ(engine.columns, expected.columns) << "engine, " << path;
    EXPECT_EQ(engine.types, expected.types) << "engine, " << path;
    EXPECT_EQ(engine.rows, expected.rows) << "engine, " << path;
    if (const auto reader = ReadWithMdbReader(path, table)) {
        EXPECT_EQ(reader->columns, expected.columns) << "mdb-reader, " << path;
        EXPECT_EQ(reader->types, expected.types) << "mdb-reader, " << path;
        EXPECT_EQ(reader->rows, expected.rows) << "mdb-reader, " << path;
    }
}

}  // namespace quillmere::testing
