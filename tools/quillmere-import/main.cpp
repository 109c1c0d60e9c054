// quillmere-import: the import without a window, for scripts and batch use. Runs the same
// import as the desktop program's "Start Importing" and prints its messages.
#include <filesystem>
#include <iostream>

#include "CommandLine.h"
#include "DryRunSession.h"
#include "ScratchDatabase.h"
#include "TerminalProgress.h"
#include "TerminalPrompts.h"
#include "accessdb/create/NewDatabase.h"
#include "app/ProgramArguments.h"
#include "database/ConnectionString.h"
#include "database/DiscardingSessions.h"
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

std::string FormatName(const std::string& path) {
    return accessdb::IsAccdbPath(path) ? "Access 2010" : "Access 2003";
}

int Run(const CommandLine& line) {
    auto engine = MakeEngineSessionFactory();
    std::error_code error;
    const bool databaseExists = std::filesystem::exists(PathFromUtf8(line.database), error);
    // A database that is not there yet is made (empty, Access 2003 .mdb or 2010 .accdb, with
    // the password given) so that a script needs no Access to start from; appending needs a
    // table that only an existing database can have. A dry run makes it where the user never
    // sees it and removes it afterwards.
    const bool makeDatabase = !databaseExists && line.options.mode != ImportMode::AppendToTable;
    std::string databasePath = line.database;
    std::unique_ptr<ScratchDatabase> scratch;
    if (makeDatabase) {
        try {
            if (line.dryRun) {
                scratch = std::make_unique<ScratchDatabase>(line.database, line.password);
                databasePath = scratch->Path();
            } else {
                accessdb::CreateDatabase(line.database,
                                         {accessdb::NewDatabaseFormat::Default, line.password});
            }
        } catch (const std::exception& failure) {
            std::cout << "The database " << line.database
                      << " cannot be created: " << failure.what() << '\n';
            return 1;
        }
        if (line.dryRun) {
            std::cerr << "quillmere-import: dry run: the new database " << line.database << " ("
                      << FormatName(line.database)
                      << " format) is made in a temporary folder and removed afterwards\n";
        } else {
            std::cerr << "quillmere-import: created the new database " << line.database << " ("
                      << FormatName(line.database) << " format)\n";
        }
    }
    const std::string connectionString = BuildConnectionString(databasePath, line.password);

    TableNameList tables;
    if (databaseExists || makeDatabase) {
        try {
            tables = TableNameList(ListUserTables(*engine, databasePath, line.password)
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
    DryRunSessionFactory dryRun(std::cout, MakeDiscardingSessionFactory());
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
    const auto parsed = ParseCommandLine(quillmere::ProgramArguments(argc, argv));
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
