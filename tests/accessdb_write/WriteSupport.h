#pragma once
// Shared helpers of the writing tests: fixture copies, the structural check, and the two
// independent readers (mdb-export from mdbtools, mdb-reader through tests/readers/dump.mjs).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/CsvText.h"
#include "support/PortableProcess.h"
#include "support/RunProgram.h"

#include "accessdb/Database.h"
#include "accessdb/check/DatabaseCheck.h"
#include "accessdb_read/Fixtures.h"
#include "accessdb_read/JsonLite.h"

namespace writetest {

namespace fs = std::filesystem;

// The empty databases every writing test starts from: Jet 4 (Access 2000, 2003, the engine's
// own ADOX file) and ACE 12, 14, 16, 17.
inline const std::vector<std::string>& EmptyFixtures() {
    static const std::vector<std::string> names{
        "jackcess/empty.mdb",       "jackcess/empty2003.mdb",   "jackcess/adox_jet4.mdb",
        "jackcess/empty2007.accdb", "jackcess/empty2010.accdb", "jackcess/empty2016.accdb",
        "jackcess/empty2019.accdb"};
    return names;
}

// A writable copy of a fixture in `dir`.
inline std::string CopyFixture(const std::string& relative, const fs::path& dir) {
    const fs::path source = fixtures::Dir() / relative;
    const fs::path target = dir / source.filename();
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    return target.string();
}

inline void Execute(const std::string& path, const std::vector<std::string>& statements,
                    const std::string& password = "") {
    auto db = accessdb::Database::Open(path, password, accessdb::OpenMode::ReadWrite);
    for (const std::string& s : statements) {
        db->Execute(s);
    }
    db->Close();
}

// Runs the structural validator; every finding fails the test.
inline void ExpectClean(const std::string& path, const std::string& password = "") {
    auto db = accessdb::Database::Open(path, password);
    const accessdb::CheckReport report = accessdb::CheckDatabase(*db);
    for (const std::string& finding : report.findings) {
        ADD_FAILURE() << path << ": " << finding;
    }
    EXPECT_GT(report.indexesCompared, 0u) << path;
}

// Every row of a table through our reader, values as export text (Null as "<null>").
inline std::vector<std::vector<std::string>> ReadRows(const std::string& path,
                                                      const std::string& table,
                                                      const std::string& password = "") {
    auto db = accessdb::Database::Open(path, password);
    auto cursor = db->OpenTable(table);
    std::vector<std::vector<std::string>> rows;
    while (cursor->Next()) {
        std::vector<std::string> row;
        for (const accessdb::Value& v : cursor->Row()) {
            row.push_back(v.null ? "<null>" : accessdb::FormatValue(v));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (const char c : s) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

inline std::string RunCapture(const std::string& command, int* status = nullptr) {
    std::string output;
    FILE* pipe = quillmere::testing::OpenCommandPipe(command);
    if (pipe == nullptr)
        return output;
    std::array<char, 65536> buffer;
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    const int rc = quillmere::testing::CloseCommandPipe(pipe);
    if (status != nullptr)
        *status = rc;
    return output;
}

inline std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (const char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// The quillmere-import program of this build; empty when QUILLMERE_BIN_DIR holds none.
inline fs::path ImportTool() {
    return quillmere::testing::BuiltProgram("quillmere-import");
}

// quillmere-import started directly (no shell) with `arguments` and `environment` added.
inline quillmere::testing::ProgramResult RunImportTool(
    const std::vector<std::string>& arguments,
    const quillmere::testing::EnvironmentSettings& environment = {}) {
    return quillmere::testing::RunProgram(ImportTool(), arguments, environment);
}

// quillmere-import run through the shell with `arguments` (quoted for it already) and `environment`
// ("NAME=value " settings) in front; what it wrote to both streams.
inline std::string RunImport(const std::string& arguments, int* status = nullptr,
                             const std::string& environment = "") {
    return RunCapture(environment + ShellQuote(ImportTool().string()) + " " + arguments + " 2>&1",
                      status);
}

inline bool HaveMdbTools() {
    return std::system("command -v mdb-export >/dev/null 2>&1") == 0;
}

// mdb-export's rows (header line dropped), parsed as CSV. mdbtools cannot tell '' from Null
// (both export as nothing).
inline std::vector<std::vector<std::string>> MdbExportRows(const std::string& path,
                                                           const std::string& table) {
    auto rows = quillmere::testing::ParseCsv(
        RunCapture("mdb-export " + ShellQuote(path) + " " + ShellQuote(table)));
    if (!rows.empty())
        rows.erase(rows.begin());  // the header line
    return rows;
}

// mdb-reader's dump of one table, or nullopt-like empty JSON when node or the package is
// missing (the caller skips that reader then).
inline bool HaveMdbReader() {
    const char* source = std::getenv("QUILLMERE_SOURCE_DIR");
    if (source == nullptr)
        return false;
    return fs::exists(fs::path(source) / "tests/readers/node_modules/mdb-reader") &&
           std::system("command -v node >/dev/null 2>&1") == 0;
}

inline testjson::Value MdbReaderTable(const std::string& path, const std::string& table,
                                      const std::string& password = "") {
    const fs::path script =
        fs::path(std::getenv("QUILLMERE_SOURCE_DIR")) / "tests/readers/dump.mjs";
    const std::string text = RunCapture(
        "node " + ShellQuote(script.string()) + " " + ShellQuote(path) + " --table " +
        ShellQuote(table) + (password.empty() ? "" : " --password " + ShellQuote(password)));
    return testjson::Parser(text).Parse();
}

// What mdbtools prints for a text: it decodes UCS-2, so characters beyond the BMP come out as
// "??"; Null and '' alike as nothing.
inline std::string AsMdbTools(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xF0) {
            out += "??";
            i += 4;
        } else {
            out += utf8[i++];
        }
    }
    return out;
}

// The Jackcess checker (../oracles/accesscheck beside the shared folder, or
// QUILLMERE_ACCESSCHECK): empty when it is not there.
inline std::string AccessCheckTool() {
    if (const char* tool = std::getenv("QUILLMERE_ACCESSCHECK"))
        return tool;
#ifdef _WIN32
    return "";  // the checker beside the shared folder is a Linux program
#else
    const char* shared = std::getenv("QUILLMERE_SHARED_DIR");
    if (shared == nullptr)
        return "";
    const fs::path tool = fs::path(shared) / ".." / "oracles" / "accesscheck";
    return fs::exists(tool) ? tool.string() : "";
#endif
}

// Runs the checker; its last line ("SUMMARY: OK ...") in `summary`. Exit 0 means clean.
inline int AccessCheck(const std::string& path, const std::string& password, std::string* summary) {
    int status = 0;
    const std::string out = RunCapture(
        AccessCheckTool() + (password.empty() ? "" : " --password " + ShellQuote(password)) + " " +
            ShellQuote(path) + " 2>&1",
        &status);
    const std::size_t at = out.rfind("SUMMARY:");
    *summary = at == std::string::npos ? out : out.substr(at);
    return quillmere::testing::ExitCodeOf(status);
}

inline fs::path TempDir(const std::string& name) {
    return fixtures::TempDir("write_" + name);
}

}  // namespace writetest
