#pragma once
// An import run through the real engine into a database file, without a window: for tests that
// read the stored cells back with independent readers.
#include <string>
#include <string_view>
#include <vector>

#include "database/ConnectionString.h"
#include "database/DatabaseSession.h"
#include "filelist/FileList.h"
#include "import/ImportRun.h"
#include "import/TableNameList.h"
#include "support/FakePrompts.h"

namespace quillmere::testing {

struct EngineImportResult {
    std::vector<std::string> messages;  // the run's boxes, in order
    ImportSummary summary;
};

// Imports the files into the database (no password) with the options; the table list starts
// as given and keeps the names the run adds.
inline EngineImportResult ImportWithEngine(const std::string& database,
                                           const std::vector<std::string>& paths,
                                           ImportOptions options, TableNameList& tables) {
    FixedOptionSource source(std::move(options));
    FakePrompts prompts;
    FileList files;
    for (const auto& path : paths) {
        files.Append(path);
    }
    auto engine = MakeEngineSessionFactory();
    EngineImportResult result;
    RunEnvironment env;
    env.options = &source;
    env.prompts = &prompts;
    env.tables = &tables;
    env.files = &files;
    env.sessions = engine.get();
    env.connectionString = [&database] { return BuildConnectionString(database, ""); };
    env.finished = [&result](const ImportSummary& done) { result.summary = done; };
    ImportRun(std::move(env)).Start();
    result.messages = prompts.Texts();
    return result;
}

// The text's UTF-16 code units as bytes, little or big endian, without a byte-order mark.
inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

}  // namespace quillmere::testing
