#pragma once
// The writer's whole surface in one call, for the write fuzzer and the tests made from its
// findings: open for writing, CREATE TABLE the way the import makes tables (text columns named
// from a header line) and one of every column type, INSERTs of every kind the import sends
// (text of every shape, Null, values into every existing user table, typed literals, long
// memos), close; then the file is read back whole. Engine errors are the expected outcome for
// damaged input; anything else escapes. A file the check found clean before must be clean
// after: the writer must never damage a sound database (Outcome::damagedByWriting).
#include <string>
#include <vector>

#include "accessdb/Database.h"
#include "accessdb/check/DatabaseCheck.h"
#include "tests/accessdb_fuzz/ReadEverything.h"

namespace accessdb_fuzz {

struct WriteOutcome {
    std::size_t statementsDone = 0;
    std::size_t statementsRefused = 0;
    bool opened = false;
    bool cleanBefore = false;      // the check found nothing before writing
    std::string damagedByWriting;  // the first finding on a file that was clean before writing
};

inline std::vector<std::string> WriteStatements(accessdb::Database& db) {
    std::vector<std::string> statements{
        "CREATE TABLE `Fuzz Import` (`Name` VARCHAR(255), `City` VARCHAR(255), `Note` "
        "VARCHAR(255))",
        "INSERT INTO `Fuzz Import` VALUES ('Anna', 'Oslo', '')",
        "INSERT INTO `Fuzz Import` VALUES ('O''Brien', '\xC3\x85lesund \xE2\x82\xAC', NULL)",
        "INSERT INTO `Fuzz Import` VALUES ('" + std::string(255, 'x') + "', 'a', 'b')",
        "INSERT INTO `Fuzz Import` (`City`) VALUES ('only the city')",
        "CREATE TABLE `Fuzz Types` (t TEXT(20), m MEMO, b BYTE, s SHORT, l LONG, f SINGLE, d "
        "DOUBLE, c CURRENCY, w DATETIME, y BIT, n COUNTER)",
        "INSERT INTO `Fuzz Types` (t, m, b, s, l, f, d, c, w, y) VALUES ('t', '" +
            std::string(5000, 'm') +
            "', 255, -32768, 2147483647, 1.5, -2.25e300, 922337203685477, "
            "#2026-12-08 07:30:00#, True)",
        "INSERT INTO `Fuzz Types` (m) VALUES ('" + std::string(70, 'i') + "')",
        "INSERT INTO `Fuzz Types` (t) VALUES (NULL)",
    };
    // Every existing user table gets an appended row of text values and one of Nulls, as the
    // append mode sends them.
    std::vector<std::string> names;
    try {
        names = db.UserTableNames();
    } catch (const accessdb::Error&) {
        return statements;
    }
    for (const std::string& name : names) {
        std::size_t columns = 0;
        try {
            columns = db.Table(name)->columns.size();
        } catch (const accessdb::Error&) {
            continue;
        }
        std::string texts;
        std::string nulls;
        for (std::size_t i = 0; i < columns; ++i) {
            texts += std::string(i == 0 ? "" : ", ") + "'" + std::to_string(i + 1) + "'";
            nulls += std::string(i == 0 ? "" : ", ") + "NULL";
        }
        std::string quoted;
        for (const char c : name)
            quoted += c == '`' ? std::string("``") : std::string(1, c);
        statements.push_back("INSERT INTO `" + quoted + "` VALUES (" + texts + ")");
        statements.push_back("INSERT INTO `" + quoted + "` VALUES (" + nulls + ")");
    }
    return statements;
}

inline bool IsClean(const std::string& path, const std::string& password) {
    try {
        auto db = accessdb::Database::Open(path, password);
        return accessdb::CheckDatabase(*db).findings.empty();
    } catch (const accessdb::Error&) {
        return false;
    }
}

inline WriteOutcome WriteEverything(const std::string& path, const std::string& password = "") {
    WriteOutcome out;
    const bool cleanBefore = IsClean(path, password);
    out.cleanBefore = cleanBefore;
    try {
        auto db = accessdb::Database::Open(path, password, accessdb::OpenMode::ReadWrite);
        out.opened = true;
        for (const std::string& statement : WriteStatements(*db)) {
            try {
                db->Execute(statement);
                ++out.statementsDone;
            } catch (const accessdb::Error&) {
                ++out.statementsRefused;
            }
        }
        db->Close();
    } catch (const accessdb::Error&) {
        // Refused at the door: damaged, locked, read-only, a format we do not write.
    }
    ReadEverything(path, password);
    if (cleanBefore) {
        try {
            auto db = accessdb::Database::Open(path, password);
            const accessdb::CheckReport report = accessdb::CheckDatabase(*db);
            if (!report.findings.empty())
                out.damagedByWriting = report.findings.front();
        } catch (const accessdb::Error& e) {
            out.damagedByWriting = std::string("cannot be opened after writing: ") + e.what();
        }
    }
    return out;
}

}  // namespace accessdb_fuzz
