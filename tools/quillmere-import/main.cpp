// quillmere-import: the import without a window, for scripts and batch use. Runs the same
// import as the desktop program's "Start Importing" and prints its messages.
#include <filesystem>
#include <iostream>

#include "CommandLine.h"
#include "DryRunSession.h"
#include "TerminalProgress.h"
#include "TerminalPrompts.h"
#include "accessdb/create/NewDatabase.h"
#include "database/ConnectionString.h"
#include "database/TableCatalogue.h"
#include "filelist/FileList.h"
#include "import/FileReading.h"
#include "import/ImportRun.h"
#include "import/TableNameList.h"

namespace quillmere::tool {
namespace {

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
    bool databaseExists = std::filesystem::exists(PathFromUtf8(line.database), error);
    // A database that is not there yet is made (empty, Access 2003 .mdb or 2010 .accdb, with
    // the password given) so that a script needs no Access to start from. A dry run changes
    // nothing, and appending needs a table that only an existing database can have.
    if (!databaseExists && !line.dryRun && line.options.mode != ImportMode::AppendToTable) {
        try {
            accessdb::CreateDatabase(line.database,
                                     {accessdb::NewDatabaseFormat::Default, line.password});
        } catch (const std::exception& failure) {
            std::cout << "The database " << line.database
                      << " cannot be created: " << failure.what() << '\n';
            return 1;
        }
        std::cerr << "quillmere-import: created the new database " << line.database << " (Access "
                  << (accessdb::IsAccdbPath(line.database) ? "2010" : "2003") << " format)\n";
        databaseExists = true;
    }

    TableNameList tables;
    if (databaseExists) {
        try {
            tables = TableNameList(ListUserTables(*engine, line.database, line.password)
                                       .value_or(std::vector<std::string>{}));
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
    env.finished = [&progress, &line](const ImportSummary& summary) {
        progress.Clear();
        std::cerr << "quillmere-import: "
                  << (line.dryRun ? "dry run, every change discarded: " : "")
                  << SummaryText(summary) << '\n';
    };
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
