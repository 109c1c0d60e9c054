// Closing the files page in the middle of a long import ends the program at once, through the
// program's own end hook, in a child process (it ends with _Exit). The database it leaves must
// be sound and hold the CSV's rows in order up to the last statement that returned before the
// close, and none after it, although the engine still held the newest of them in memory when
// the page closed.
#include <sys/wait.h>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "accessdb/Database.h"
#include "accessdb/check/DatabaseCheck.h"
#include "accessdb/create/NewDatabase.h"
#include "app/ui/ProgramEnd.h"
#include "tests/ui/EngineTableReader.h"
#include "tests/ui/PageHarness.h"

namespace quillmere {
namespace {
using testing::PageHarness;
using testing::ReadEngineTable;

constexpr const char* kChildFolder = "QUILLMERE_CLOSE_DURING_IMPORT";
constexpr int kCsvRows = 200000;
constexpr int kRowsBeforeClose = 3000;  // the close is asked for once this many have returned

std::string RowName(int row) {
    return "part" + std::to_string(row);
}

// The engine's sessions, counting the statements that returned.
class CountingSession : public DatabaseSession {
  public:
    CountingSession(std::unique_ptr<DatabaseSession> inner, int& returned)
        : inner_(std::move(inner)), returned_(returned) {}
    int State() const override { return inner_->State(); }
    int Mode() const override { return inner_->Mode(); }
    void SetMode(int mode) override { inner_->SetMode(mode); }
    void Open(const std::string& connection) override { inner_->Open(connection); }
    void Execute(const std::string& statement) override {
        inner_->Execute(statement);
        ++returned_;
    }
    std::unique_ptr<Recordset> OpenTableSchema(int kind) override {
        return inner_->OpenTableSchema(kind);
    }
    std::unique_ptr<Recordset> OpenRecordset(const std::string& query, int cursor,
                                             int lock) override {
        return inner_->OpenRecordset(query, cursor, lock);
    }
    void Close() override { inner_->Close(); }

  private:
    std::unique_ptr<DatabaseSession> inner_;
    int& returned_;
};

class CountingFactory : public SessionFactory {
  public:
    std::unique_ptr<DatabaseSession> Create() override {
        return std::make_unique<CountingSession>(engine_->Create(), returned);
    }
    int returned = 0;

  private:
    std::unique_ptr<SessionFactory> engine_ = MakeEngineSessionFactory();
};

// Writes down, as the page receives its close, how many statements had returned.
class CloseRecorder : public QObject {
  public:
    CloseRecorder(const CountingFactory& sessions, std::filesystem::path file)
        : sessions_(sessions), file_(std::move(file)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            std::ofstream(file_) << sessions_.returned << '\n';
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    const CountingFactory& sessions_;
    std::filesystem::path file_;
};

// The child: the files page over the engine, a long import started with "Start Importing", and
// the page closed from the event loop pass the run lets in once enough rows are stored.
TEST(CloseDuringImport, DISABLED_Child) {
    const char* folder = std::getenv(kChildFolder);
    ASSERT_NE(folder, nullptr);
    const std::filesystem::path dir(folder);
    PageHarness h;
    CountingFactory sessions;
    h.context.sessions = &sessions;
    EndProgramOnClose(h.context, [&h] { return h.Page2().CommandsLocked(); });
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    h.settings.values["Database"] = (dir / "parts.accdb").string();
    ASSERT_TRUE(h.Page1().Load());
    ASSERT_TRUE(h.Page1().HasFilesPage());
    Form2& page = h.Page2();
    h.nextCsvChoice = {QString::fromStdString((dir / "parts.csv").string())};
    page.PushButton3_Click();

    CloseRecorder recorder(sessions, dir / "returned.txt");
    page.installEventFilter(&recorder);
    page.show();
    // The table's CREATE is the first statement returned.
    h.run = [&](RunEnvironment environment) {
        auto innerYield = environment.yield;
        bool asked = false;
        environment.yield = [&, innerYield] {
            if (!asked && sessions.returned > kRowsBeforeClose) {
                asked = true;
                QTimer::singleShot(0, &page, [&page] { page.close(); });
            }
            innerYield();
        };
        RunImportToEnd(std::move(environment));
    };
    h.Find<QPushButton>(page, "PushButton1")->click();
    // Only reached when the close did not end the program.
    FAIL() << "the import ran to its end; the close was not handled during it ("
           << sessions.returned << " statements)";
}

TEST(CloseDuringImport, TheDatabaseKeepsEveryRowUpToTheClose) {
    testing::TempFolder folder;
    const std::filesystem::path dir = folder.Path();
    const std::string database = (dir / "parts.accdb").string();
    accessdb::CreateDatabase(database, {accessdb::NewDatabaseFormat::Default, ""});
    {
        std::ofstream csv(dir / "parts.csv");
        csv << "Part,Qty\n";
        for (int row = 1; row <= kCsvRows; ++row) {
            csv << RowName(row) << ',' << row << '\n';
        }
    }
    const std::string command = "env " + std::string(kChildFolder) + "='" + dir.string() +
                                "' /proc/" + std::to_string(::getpid()) +
                                "/exe --gtest_also_run_disabled_tests"
                                " --gtest_filter=CloseDuringImport.DISABLED_Child";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    ASSERT_EQ(WEXITSTATUS(status), 0) << command;
    std::ifstream recorded(dir / "returned.txt");
    int returned = -1;
    ASSERT_TRUE(recorded >> returned) << "the child never closed the page";
    const int rowsReturned = returned - 1;  // the CREATE TABLE came first
    ASSERT_GT(rowsReturned, kRowsBeforeClose);
    ASSERT_LT(rowsReturned, kCsvRows) << "the close came after the last row";

    {
        auto db = accessdb::Database::Open(database, "");
        const accessdb::CheckReport report = accessdb::CheckDatabase(*db);
        EXPECT_TRUE(report.findings.empty())
            << (report.findings.empty() ? "" : report.findings.front());
    }
    auto engine = MakeEngineSessionFactory();
    const auto table = ReadEngineTable(*engine, database, "NewTable1");
    ASSERT_EQ(static_cast<int>(table.size()) - 1, rowsReturned);
    for (int row = 1; row <= rowsReturned; ++row) {
        const std::vector<std::string> expected{RowName(row), std::to_string(row)};
        ASSERT_EQ(table[static_cast<std::size_t>(row)], expected) << "row " << row;
    }
}

}  // namespace
}  // namespace quillmere
