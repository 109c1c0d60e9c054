#pragma once
// Everything an import run needs, without a window: fixed options, recording prompts, pointer
// and session, an in-memory table list, and a temporary folder for the files and the log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "database/ConnectionString.h"
#include "filelist/FileList.h"
#include "import/ImportLog.h"
#include "import/ImportRun.h"
#include "import/TableNameList.h"
#include "support/Environment.h"
#include "support/FakePrompts.h"
#include "support/RecordingSession.h"
#include "support/TempFolder.h"

namespace quillmere::testing {

class RecordingPointer : public PagePointer {
  public:
    int Get() const override { return value; }
    void Set(int pointer) override {
        value = pointer;
        history.push_back(pointer);
    }
    int value = kPointerDefault;
    std::vector<int> history;
};

class ImportRunFixture : public ::testing::Test {
  protected:
    ImportRunFixture() { PutLogBelow(folder.Path() / "state"); }
    ~ImportRunFixture() override { SetImportLogLocationsForTesting({}); }

    // The log goes below `state` (the test's own folder): through XDG_STATE_HOME where the
    // system's place depends on it, directly on Windows, whose places are fixed.
    static void PutLogBelow(const std::filesystem::path& state) {
#ifdef _WIN32
        SetImportLogLocationsForTesting({state / "Quillmere" / "import.log"});
#else
        quillmere::testing::SetEnvironment("XDG_STATE_HOME", state.string());
#endif
    }

    std::string AddFile(const std::string& name, const std::string& bytes) {
        const auto path = folder.Write(name, bytes);
        files.Append(path);
        return path;
    }

    RunEnvironment Environment() {
        RunEnvironment env;
        env.options = &options;
        env.prompts = &prompts;
        env.pointer = &pointer;
        env.tables = &tables;
        env.files = &files;
        env.sessions = &factory;
        env.connectionString = [] { return BuildConnectionString("/db/shop.accdb", "pw"); };
        env.yield = [this] {
            ++yields;
            if (onYield) {
                onYield();
            }
        };
        env.progress = [this](const ImportProgress& p) { progress.push_back(p); };
        env.finished = [this](const ImportSummary& summary) {
            if (onFinished) {
                onFinished(summary);
            }
        };
        return env;
    }

    void Run() {
        ImportRun run(Environment());
        run.Start();
    }

    RecordedDatabase& Db() {
        return *factory.database;
    }
    std::vector<std::string> Executed() {
        return Db().CallsStartingWith("Execute ");
    }
    std::filesystem::path LogPath() const {
        return folder.Path() / "state" / "Quillmere" / "import.log";
    }
    ImportOptions& Options() {
        return options.Options();
    }

    static constexpr const char* kConnection =
        "Open Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/db/shop.accdb;"
        "JET OLEDB:Database Password=pw";

    TempFolder folder;
    FixedOptionSource options{ImportOptions{}};
    FakePrompts prompts;
    RecordingPointer pointer;
    TableNameList tables;
    FileList files;
    RecordingSessionFactory factory;
    int yields = 0;
    std::function<void()> onYield;
    std::vector<ImportProgress> progress;
    std::function<void(const ImportSummary&)> onFinished;
};

}  // namespace quillmere::testing
