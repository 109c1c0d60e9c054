// quillmere-import: the import without a window, for scripts and batch use. Runs the same
// import as the desktop program's "Start Importing" and prints its messages.
#include <filesystem>
#include <iostream>

#include "CommandLine.h"
#include "DryRunSession.h"
#include "TerminalProgress.h"
#include "TerminalPrompts.h"
#include "database/ConnectionString.h"
#include "filelist/FileList.h"
#include "import/FileReading.h"
#include "import/ImportRun.h"
#include "import/TableNameList.h"

namespace quillmere::tool {
namespace {

// The names of the user tables: the rows of the tables schema whose type is "TABLE".
std::vector<std::string> ReadUserTables(SessionFactory& factory,
                                        const std::string& connectionString) {
    auto session = factory.Create();
    session->Open(connectionString);
    auto rows = session->OpenTableSchema(kSchemaTables);
    std::vector<std::string> names;
    while (!rows->AtEnd()) {
        if (rows->Value("TABLE_TYPE") == "TABLE") {
            names.push_back(rows->Value("TABLE_NAME"));
        }
        rows->MoveNext();
    }
    rows->Close();
    session->Close();
    return names;
}

std::string FullPath(const std::string& path) {
    std::error_code error;
    const auto full = std::filesystem::absolute(PathFromUtf8(path), error);
    if (error) {
        return path;
    }
    const auto text = full.u8string();
    return std::string(text.begin(), text.end());
}

int Run(const CommandLine& line) {
    const std::string connectionString = BuildConnectionString(line.database, line.password);
    auto engine = MakeEngineSessionFactory();
    std::error_code error;
    const bool databaseExists = std::filesystem::exists(PathFromUtf8(line.database), error);

    TableNameList tables;
    if (databaseExists) {
        try {
            tables = TableNameList(ReadUserTables(*engine, connectionString));
        } catch (const std::exception& failure) {
            std::cout << "The tables of " << line.database << " cannot be read: " << failure.what()
                      << '\n';
            return 1;
        }
    }

    FileList files;
    for (const auto& file : line.files) {
        files.Append(FullPath(file));
    }

    TerminalProgress progress(stderr);
    const auto clearProgress = [&progress] { progress.Clear(); };
    TerminalPrompts prompts(std::cout, std::cin);
    prompts.SetBeforeOutput(clearProgress);
    DryRunSessionFactory dryRun(std::cout, databaseExists ? engine.get() : nullptr, line.database);
    dryRun.SetBeforeOutput(clearProgress);
    FixedOptionSource options(line.options);

    RunEnvironment env;
    env.options = &options;
    env.prompts = &prompts;
    env.tables = &tables;
    env.files = &files;
    env.sessions = line.dryRun ? static_cast<SessionFactory*>(&dryRun) : engine.get();
    env.connectionString = [&connectionString] { return connectionString; };
    if (progress.Enabled()) {
        env.progress = [&progress](const ImportProgress& p) { progress.Show(p); };
    }
    ImportRun run(std::move(env));
    run.Start();
    progress.Clear();
    return prompts.EndedWell() ? 0 : 1;
}

}  // namespace
}  // namespace quillmere::tool

int main(int argc, char** argv) {
    using namespace quillmere::tool;
    const auto parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.commandLine) {
        std::cerr << "quillmere-import: " << parsed.error << "\n\n" << UsageText();
        return 2;
    }
    if (parsed.commandLine->help) {
        std::cout << UsageText();
        return 0;
    }
    return Run(*parsed.commandLine);
}
