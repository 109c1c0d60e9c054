// Rows per second of reading, splitting and statement building, and of the whole import run
// over a session that accepts every statement, for a generated CSV of 1,000,000 rows and 10
// columns. Usage: bench_split_and_build [rows]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "filelist/FileList.h"
#include "import/CsvSplitter.h"
#include "import/FileReading.h"
#include "import/ImportRun.h"
#include "import/LongTextColumns.h"
#include "import/Statements.h"
#include "import/TableNameList.h"

namespace {

using namespace quillmere;
using Clock = std::chrono::steady_clock;

constexpr int kColumns = 10;

// A realistic mix: numbers, words, a quoted field holding the delimiter, an apostrophe.
std::string MakeCsv(long rows) {
    std::string text = "Id,Name,City,Customer,Amount,Note,Date,Code,Flag,Comment\r\n";
    text.reserve(static_cast<size_t>(rows) * 80);
    for (long r = 0; r < rows; ++r) {
        text += std::to_string(r);
        text += ",Widget ";
        text += std::to_string(r % 977);
        text += ",Oslo,\"Smith, John\",";
        text += std::to_string((r * 37) % 100000);
        text += ".25,O'Hara's,2026-12-08,X";
        text += std::to_string(r % 13);
        text += ",True,plain text here\r\n";
    }
    return text;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class NullSession : public DatabaseSession {
  public:
    int State() const override { return open_ ? 1 : 0; }
    int Mode() const override { return 3; }
    void SetMode(int) override {}
    void Open(const std::string&) override { open_ = true; }
    void Execute(const std::string& statement) override { bytes += statement.size(); }
    std::unique_ptr<Recordset> OpenTableSchema(int) override { return nullptr; }
    std::unique_ptr<Recordset> OpenRecordset(const std::string&, int, int) override {
        return nullptr;
    }
    void Close() override { open_ = false; }
    size_t bytes = 0;

  private:
    bool open_ = false;
};

class NullFactory : public SessionFactory {
  public:
    std::unique_ptr<DatabaseSession> Create() override { return std::make_unique<NullSession>(); }
};

class SilentPrompts : public Prompts {
  public:
    MessageAnswer ShowMessage(const std::string& text, MessageButtons, MessageIcon,
                              const std::string&) override {
        last = text;
        return MessageAnswer::Ok;
    }
    std::string AskInput(const std::string&, const std::string&) override { return {}; }
    std::string last;
};

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    const auto path = std::filesystem::temp_directory_path() / "quillmere-bench-split.csv";
    {
        const auto text = MakeCsv(rows);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::printf("%ld rows, %d columns, %.1f MB\n", rows, kColumns, megabytes);

    // Reading, splitting and building, step by step.
    auto start = Clock::now();
    const std::string text = ReadWholeFile(path.string());
    const double readSeconds = SecondsSince(start);

    start = Clock::now();
    CsvSplitter splitter(",");
    const auto lines = splitter.SplitLines(text, path.string());
    const double linesSeconds = SecondsSince(start);

    start = Clock::now();
    std::vector<std::string_view> fields;
    std::string statement;
    size_t statementBytes = 0;
    for (size_t r = 1; r < lines.size(); ++r) {
        splitter.SplitFields(lines[r], fields);
        if (!IsDataLine(lines[r], fields, kColumns)) {
            continue;
        }
        ShapeRow(fields, kColumns);
        BuildInsertRowStatement(statement, "NewTable1", fields);
        statementBytes += statement.size();
    }
    const double buildSeconds = SecondsSince(start);
    const double total = readSeconds + linesSeconds + buildSeconds;
    std::printf("read+decode %.3f s, lines %.3f s, fields+statements %.3f s (%zu MB of SQL)\n",
                readSeconds, linesSeconds, buildSeconds, statementBytes / 1000000);
    std::printf("reading+splitting+building: %.0f rows/s\n", static_cast<double>(rows) / total);

    // Before a new table is made every line is looked at for values too long for VARCHAR:
    // lines of at most 255 bytes are passed over, longer ones are split once more.
    start = Clock::now();
    FindLongTextColumns(splitter, lines, SelectDataLines(lines.size(), 1), kColumns, {});
    std::printf("long-value scan, short lines: %.3f s\n", SecondsSince(start));
    {
        std::string wide = "Id,Name,City,Customer,Amount,Note,Date,Code,Flag,Comment\r\n";
        const std::string padding(30, 'w');
        for (long r = 0; r < rows / 4; ++r) {
            wide += std::to_string(r);
            for (int j = 1; j < kColumns; ++j) {
                wide += "," + padding;
            }
            wide += "\r\n";
        }
        const auto wideLines = splitter.SplitLines(wide, "wide");
        start = Clock::now();
        FindLongTextColumns(splitter, wideLines, SelectDataLines(wideLines.size(), 1), kColumns,
                            {});
        const double wideSeconds = SecondsSince(start);
        std::printf("long-value scan, %zu lines over 255 bytes: %.3f s (%.0f lines/s)\n",
                    wideLines.size() - 1, wideSeconds,
                    static_cast<double>(wideLines.size() - 1) / wideSeconds);
    }

    // The whole run, yielding once per value, over a session that does nothing.
    FixedOptionSource options{ImportOptions{}};
    SilentPrompts prompts;
    TableNameList tables;
    FileList files;
    files.Append(path.string());
    NullFactory factory;
    long yields = 0;
    RunEnvironment env;
    env.options = &options;
    env.prompts = &prompts;
    env.tables = &tables;
    env.files = &files;
    env.sessions = &factory;
    env.connectionString = [] { return std::string("Data Source=none"); };
    env.yield = [&yields] { ++yields; };
    ImportRun run(env);
    start = Clock::now();
    run.Start();
    const double runSeconds = SecondsSince(start);
    std::printf("import run (null session, %ld yields): %.3f s, %.0f rows/s, message \"%s\"\n",
                yields, runSeconds, static_cast<double>(rows) / runSeconds, prompts.last.c_str());
    std::filesystem::remove(path);
    return 0;
}
