// The corpus under tests/import/corpus: CSV files made the way real exports are, each with the
// cells an independent parser found in it (make_corpus.py). Every file is imported into one new
// .accdb and one new .mdb, and the tables are read back by the engine and mdb-reader.
#include <gtest/gtest.h>

#include <cstdlib>

#include "accessdb/create/NewDatabase.h"
#include "accessdb_read/JsonLite.h"
#include "support/EngineImport.h"
#include "support/Environment.h"
#include "support/ReadBack.h"
#include "support/TempFolder.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using testing::TableSeen;

struct CorpusFile {
    std::string file;
    std::string delimiter;
    std::string encoding;
    std::string table;
    TableSeen expected;
};

std::vector<std::string> Texts(const testjson::Value& array) {
    std::vector<std::string> texts;
    for (const auto& item : array.items) {
        texts.push_back(item.text);
    }
    return texts;
}

fs::path CorpusFolder() {
    const char* source = std::getenv("QUILLMERE_SOURCE_DIR");
    return source == nullptr ? fs::path() : fs::path(source) / "tests/import/corpus";
}

std::vector<CorpusFile> LoadCorpus() {
    std::vector<CorpusFile> corpus;
    for (const auto& entry : fs::directory_iterator(CorpusFolder())) {
        if (entry.path().extension() != ".json") {
            continue;
        }
        const auto json = testjson::Parser(testing::TempFolder::Read(entry.path())).Parse();
        CorpusFile file{json["file"].text,
                        json["delimiter"].text,
                        json["encoding"].text,
                        json["table"].text,
                        {}};
        file.expected.columns = Texts(json["columns"]);
        file.expected.types = Texts(json["types"]);
        for (const auto& row : json["rows"].items) {
            file.expected.rows.push_back(Texts(row));
        }
        corpus.push_back(std::move(file));
    }
    std::sort(corpus.begin(), corpus.end(),
              [](const CorpusFile& a, const CorpusFile& b) { return a.file < b.file; });
    return corpus;
}

class Corpus : public ::testing::TestWithParam<std::string> {};

INSTANTIATE_TEST_SUITE_P(Formats, Corpus, ::testing::Values(".accdb", ".mdb"),
                         [](const auto& info) { return info.param.substr(1); });

TEST_P(Corpus, EveryFileStoresTheCellsAnIndependentParserFound) {
    if (CorpusFolder().empty()) {
        GTEST_SKIP() << "QUILLMERE_SOURCE_DIR is not set (run the tests through ctest)";
    }
    const auto corpus = LoadCorpus();
    ASSERT_GE(corpus.size(), 10u) << CorpusFolder();
    testing::TempFolder folder;
    quillmere::testing::SetEnvironment("XDG_STATE_HOME", (folder.Path() / "state").string());
    const auto database = (folder.Path() / ("corpus" + GetParam())).string();
    accessdb::CreateDatabase(database, {accessdb::NewDatabaseFormat::Default, ""});

    for (const auto& file : corpus) {
        ImportOptions options;
        options.delimiter = file.delimiter;
        options.encoding = file.encoding;
        options.tableNamePattern = file.table;  // one file a run, so no counter is needed
        TableNameList tables;
        const auto result = testing::ImportWithEngine(
            database, {(CorpusFolder() / file.file).string()}, options, tables);
        EXPECT_EQ(result.messages, std::vector<std::string>{"Done."}) << file.file;
    }

    const auto reader = testing::ReadAllWithMdbReader(database);
    for (const auto& file : corpus) {
        SCOPED_TRACE(file.file);
        const TableSeen engineSaw = testing::ReadWithEngine(database, file.table);
        EXPECT_EQ(engineSaw.columns, file.expected.columns);
        EXPECT_EQ(engineSaw.types, file.expected.types);
        EXPECT_EQ(engineSaw.rows, file.expected.rows);
        if (reader) {
            const auto found = reader->find(file.table);
            ASSERT_NE(found, reader->end());
            EXPECT_EQ(found->second.columns, file.expected.columns);
            EXPECT_EQ(found->second.types, file.expected.types);
            EXPECT_EQ(found->second.rows, file.expected.rows);
        }
    }
    if (const auto findings = testing::AccessCheckFindings(database)) {
        EXPECT_EQ(*findings, "") << database;
    }
}

}  // namespace
}  // namespace quillmere
