// The real desktop program under a real X server with a window manager (the
// ui_real_program_run_lock test runs this through xvfb-session.sh; elsewhere it skips). It starts
// on a new database with a large CSV file in its list; while the import runs, the pointer clicks
// every command that has to be disabled and drops a file onto the list from another program.
// None of it may change anything: the run ends with "Done.", the list as it was, and one table
// holding every row, read back by our engine and by mdbtools.
//
// Rows: as many as this machine imports in about 12 s (measured first with quillmere-import), so
// that the run outlasts the clicks; at least 3,000,000 in the release build and 100,000 in the
// sanitizer build. QUILLMERE_RUN_LOCK_ROWS sets the count by hand.
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "database/ConnectionString.h"
#include "database/DatabaseSession.h"
#include "database/TableCatalogue.h"
#include "support/TempFolder.h"
#include "tests/ui/DragSourceWindow.h"
#include "tests/ui/WidgetMap.h"
#include "tests/ui/XdoTool.h"

namespace quillmere {
namespace {
using testing::MappedControl;
using testing::MappedWindow;
using testing::WaitForMap;
using testing::WidgetMap;

// The commands of the files page that a run disables, with their captions.
const std::vector<std::pair<std::string, std::string>> kLockedCommands = {
    {"PushButton3", "Add CSV File(s)"},
    {"PushButton4", "Add All File(s) In Folder"},
    {"PushButton10", "Load Sample/Example Files"},
    {"PushButton2", "Move Up"},
    {"PushButton7", "Move Down"},
    {"PushButton9", "Clear List"},
    {"PushButton5", "< Back"},
    {"PushButton1", "Start Importing"}};

constexpr double kStartSeconds = 60;
constexpr double kRunSeconds = 540;

long EnvironmentRowCount(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atol(value) : 0;
}

std::string Field(long row, int column) {
    char text[64];
    switch (column) {
        case 0:
            std::snprintf(text, sizeof text, "item%06ld", row);
            break;
        case 1:
            std::snprintf(text, sizeof text, "%ld", row % 1000);
            break;
        default:
            std::snprintf(text, sizeof text, "row %ld of the run", row);
    }
    return text;
}

void WriteCsv(const std::filesystem::path& file, long rows) {
    std::ofstream out(file, std::ios::binary);
    out << "Item,Quantity,Note\n";
    for (long row = 1; row <= rows; ++row) {
        out << Field(row, 0) << ',' << Field(row, 1) << ',' << Field(row, 2) << '\n';
    }
}

std::string ReadWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string RunCommand(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return output;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// How many rows the run takes so that it outlasts the clicks and the drop (about 3 s) several
// times over on this machine: a fixed count was outrun once the engine got faster on a quick
// machine. A headless import of a smaller file measures the speed; the build's default count is
// the least, and QUILLMERE_RUN_LOCK_ROWS sets the count outright.
long RowCount(const std::string& bin, const testing::TempFolder& folder) {
    if (const long chosen = EnvironmentRowCount("QUILLMERE_RUN_LOCK_ROWS"); chosen > 0) {
        return chosen;
    }
    const long least = std::max(EnvironmentRowCount("QUILLMERE_RUN_LOCK_DEFAULT_ROWS"), 100000L);
    constexpr long kSampleRows = 200000;
    constexpr double kRunTarget = 12;  // seconds, four times the clicks and the drop
    constexpr long kMost = 20000000;
    const std::filesystem::path sample = folder / "speed" / "sample.csv";
    std::filesystem::create_directories(sample.parent_path());
    WriteCsv(sample, kSampleRows);
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(("'" + bin + "/quillmere-import' --database '" +
                                    (sample.parent_path() / "sample.accdb").string() + "' '" +
                                    sample.string() + "' > /dev/null 2>&1")
                                       .c_str());
    const double seconds = SecondsSince(start);
    std::filesystem::remove_all(sample.parent_path());
    if (status != 0 || seconds <= 0) {
        return least;
    }
    const auto rows = static_cast<long>(kSampleRows / seconds * kRunTarget);
    return std::clamp(rows, least, kMost);
}

// The real program, its settings, state and home in the test's folder, writing its widget map.
class RealProgram {
  public:
    RealProgram(const std::string& bin, const testing::TempFolder& folder,
                const std::filesystem::path& workingFolder)
        : map_((folder / "widgets.map").string()), output_(folder / "program-output.txt") {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const auto set = [&](const char* name, const std::filesystem::path& path) {
            std::filesystem::create_directories(path);
            environment.insert(QString::fromLatin1(name), QString::fromStdString(path.string()));
        };
        set("HOME", folder / "home");
        set("XDG_CONFIG_HOME", folder / "config");
        set("XDG_STATE_HOME", folder / "state");
        set("XDG_DATA_HOME", folder / "data");
        set("XDG_CACHE_HOME", folder / "cache");
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // Qt's own file dialog, whatever desktop the machine has.
        environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
        environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        environment.remove(QStringLiteral("DESKTOP_SESSION"));
        environment.insert(QStringLiteral("QUILLMERE_WIDGET_MAP"), QString::fromStdString(map_));
        process_.setProcessEnvironment(environment);
        process_.setWorkingDirectory(QString::fromStdString(workingFolder.string()));
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setStandardOutputFile(QString::fromStdString(output_.string()));
        process_.start(QString::fromStdString(bin + "/quillmere"), {});
    }
    ~RealProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool Started() { return process_.waitForStarted(10000); }
    bool Running() const { return process_.state() == QProcess::Running; }
    const std::string& MapFile() const { return map_; }
    WidgetMap Map() const { return WidgetMap::Read(map_); }
    std::string Output() const { return ReadWhole(output_); }

    // Closes the files page with the window manager's close key; true when the program ended
    // by itself with status 0.
    bool CloseAndWait() {
        testing::PressKey("alt+F4");
        const auto start = std::chrono::steady_clock::now();
        while (process_.state() != QProcess::NotRunning && SecondsSince(start) < 20) {
            QTest::qWait(50);
        }
        return process_.state() == QProcess::NotRunning &&
               process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

  private:
    QProcess process_;
    std::string map_;
    std::filesystem::path output_;
};

// What a click of a disabled command must leave as it was.
struct PageState {
    std::vector<std::string> rows;
    bool filesPageShown = false;
    bool databasePageShown = false;
    int dialogs = 0;  // file and folder dialogs, message boxes, input boxes
    bool locked = false;
    std::string message;  // the text of a message box shown

    static PageState Of(const WidgetMap& map) {
        PageState state;
        state.message = map.MessageText().value_or("");
        state.rows = map.Rows("ListView1");
        state.filesPageShown = map.Window("Form2") != nullptr;
        state.databasePageShown = map.Window("Form1") != nullptr;
        // Tooltips come and go with the pointer; they are no dialogs.
        for (const auto& window : map.windows) {
            state.dialogs += window.className.find("Dialog") != std::string::npos ||
                                     window.className.find("MessageBox") != std::string::npos
                                 ? 1
                                 : 0;
        }
        const MappedControl* start = map.Control("Form2", "PushButton1");
        state.locked = start != nullptr && !start->enabled;
        return state;
    }
    bool operator==(const PageState&) const = default;
};

std::string Describe(const PageState& state) {
    std::string text = "rows:";
    for (const auto& row : state.rows) {
        text += " [" + row + "]";
    }
    text += state.filesPageShown ? ", files page shown" : ", files page hidden";
    text += state.databasePageShown ? ", database page shown" : "";
    text += ", " + std::to_string(state.dialogs) + " dialog(s)";
    text += state.locked ? ", locked" : ", unlocked";
    text += state.message.empty() ? "" : ", message \"" + state.message + "\"";
    return text;
}

// Closes whatever box a command wrongly opened, so the run can go on and the test can end.
void DismissDialogs(const RealProgram& program) {
    for (int i = 0; i < 5 && PageState::Of(program.Map()).dialogs > 0; ++i) {
        testing::PressKey("Escape");
        QTest::qWait(300);
    }
}

void ExpectEngineTable(const std::string& database, long rows) {
    auto engine = MakeEngineSessionFactory();
    const auto tables = ListUserTables(*engine, database, "");
    ASSERT_TRUE(tables.has_value());
    ASSERT_EQ(*tables, std::vector<std::string>{"NewTable1"});
    auto session = engine->Create();
    session->Open(BuildConnectionString(database, ""));
    auto recordset =
        session->OpenRecordset("SELECT * FROM NewTable1", kCursorStatic, kLockUnspecified);
    ASSERT_EQ(recordset->FieldCount(), 3);
    EXPECT_EQ(recordset->FieldName(0), "Item");
    EXPECT_EQ(recordset->FieldName(2), "Note");
    long seen = 0;
    for (; !recordset->AtEnd(); recordset->MoveNext()) {
        ++seen;
        // Every row in file order; comparing each one costs little next to reading it.
        if (recordset->Value(0) != Field(seen, 0) || recordset->Value(2) != Field(seen, 2)) {
            ADD_FAILURE() << "row " << seen << ": " << recordset->Value(0) << ", "
                          << recordset->Value(2);
            break;
        }
    }
    EXPECT_EQ(seen, rows);
    session->Close();
}

void ExpectMdbtoolsTable(const std::string& database, long rows) {
    EXPECT_EQ(RunCommand("mdb-tables -1 '" + database + "'"), "NewTable1\n");
    const std::string exported = RunCommand("mdb-export '" + database + "' NewTable1");
    long lines = 0;
    for (char c : exported) {
        lines += c == '\n' ? 1 : 0;
    }
    EXPECT_EQ(lines, rows + 1) << "a header line and one line per row";
    const size_t lastLine = exported.rfind('\n', exported.size() - 2);
    const std::string last = exported.substr(lastLine == std::string::npos ? 0 : lastLine + 1);
    EXPECT_NE(last.find(Field(rows, 0)), std::string::npos) << last;
    EXPECT_NE(last.find(Field(rows, 2)), std::string::npos) << last;
}

TEST(RealProgramRunLock, ClicksAndADropDuringALargeImportChangeNothing) {
    const char* bin = std::getenv("QUILLMERE_BIN_DIR");
    if (std::getenv("QUILLMERE_XVFB_SESSION") == nullptr ||
        QGuiApplication::platformName() != QStringLiteral("xcb")) {
        GTEST_SKIP() << "run by the ui_real_program_run_lock test, under Xvfb with xdotool";
    }
    if (bin == nullptr || !std::filesystem::exists(std::string(bin) + "/quillmere") ||
        !std::filesystem::exists(std::string(bin) + "/accessdb") ||
        !std::filesystem::exists(std::string(bin) + "/quillmere-import")) {
        GTEST_SKIP() << "Skipped: quillmere, accessdb and quillmere-import are not built in "
                        "QUILLMERE_BIN_DIR";
    }
    const auto testStart = std::chrono::steady_clock::now();
    testing::TempFolder folder;
    const long rows = RowCount(bin, folder);
    const std::filesystem::path data = folder / "csv";
    std::filesystem::create_directories(data);
    const std::string csv = (data / "rows.csv").string();
    WriteCsv(csv, rows);
    const std::string dropped = folder.Write("dropped.csv", "Item,Quantity\nbolt,5\n");
    const std::string database = (folder / "run.accdb").string();
    ASSERT_EQ(
        std::system(
            ("'" + std::string(bin) + "/accessdb' create '" + database + "' > /dev/null").c_str()),
        0);
    // The remembered database exists, so the program opens on the files page.
    std::filesystem::create_directories(folder / "config/Vantrell");
    std::ofstream(folder / "config/Vantrell/Quillmere.ini")
        << "[Quillmere]\nDatabase=" << database << "\n";

    RealProgram program(bin, folder, data);
    ASSERT_TRUE(program.Started());
    auto onFilesPage = WaitForMap(program.MapFile(), kStartSeconds, [](const WidgetMap& m) {
        const MappedControl* add = m.Control("Form2", "PushButton3");
        return add != nullptr && add->enabled;
    });
    ASSERT_TRUE(onFilesPage) << program.Output();
    // The window manager places the window after it is first shown; the places count once they
    // hold still.
    auto settled = *onFilesPage;
    for (int i = 0; i < 50; ++i) {
        QTest::qWait(300);
        const WidgetMap now = program.Map();
        const MappedWindow* page = now.Window("Form2");
        const MappedWindow* was = settled.Window("Form2");
        if (page != nullptr && was != nullptr && page->place == was->place) {
            break;
        }
        settled = now;
    }
    onFilesPage = settled;
    for (const auto& [name, caption] : kLockedCommands) {
        const MappedControl* command = onFilesPage->Control("Form2", name);
        ASSERT_NE(command, nullptr) << name;
        EXPECT_EQ(command->text, caption);
        EXPECT_TRUE(command->enabled) << name << " before the run";
    }

    // "Add CSV File(s)", then the file's name typed into the dialog, as a user adds it.
    testing::ClickAt(onFilesPage->Control("Form2", "PushButton3")->Centre());
    const auto dialog = WaitForMap(program.MapFile(), 20, [](const WidgetMap& m) {
        return m.Control("QFileDialog", "fileNameEdit") != nullptr;
    });
    ASSERT_TRUE(dialog) << "no file dialog";
    testing::ClickAt(dialog->Control("QFileDialog", "fileNameEdit")->Centre());
    testing::TypeText("rows.csv");
    // The first Return may only close the name completer's popup.
    std::optional<WidgetMap> listed;
    for (int i = 0; i < 3 && !listed; ++i) {
        testing::PressKey("Return");
        listed = WaitForMap(program.MapFile(), 5, [](const WidgetMap& m) {
            return !m.Rows("ListView1").empty() && PageState::Of(m).dialogs == 0;
        });
    }
    ASSERT_TRUE(listed) << "the file never reached the list";
    const PageState before = PageState::Of(*listed);
    ASSERT_EQ(before.rows, std::vector<std::string>{csv});

    // The program that drops a file, placed clear of the files page.
    testing::DragSourceWindow source({dropped});
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    source.move(screen.right() - 220, screen.bottom() - 200);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));
    QTest::qWait(300);
    const QPoint sourceCentre = source.mapToGlobal(source.rect().center());
    const QPoint listCentre = listed->Control("Form2", "ListView1")->Centre();
    ASSERT_FALSE(listed->Window("Form2")->place.contains(sourceCentre))
        << "the drag source covers the files page";

    const auto runStart = std::chrono::steady_clock::now();
    testing::ClickAt(listed->Control("Form2", "PushButton1")->Centre());
    const auto running = WaitForMap(program.MapFile(), 20,
                                    [](const WidgetMap& m) { return PageState::Of(m).locked; });
    ASSERT_TRUE(running) << "the run did not start";
    PageState during = before;
    during.locked = true;
    // All the clicks in one go, so that they fit well inside even a quick run.
    QStringList clicks;
    for (const auto& [name, caption] : kLockedCommands) {
        const MappedControl* command = running->Control("Form2", name);
        ASSERT_NE(command, nullptr) << name;
        EXPECT_FALSE(command->enabled) << caption << " during the run";
        clicks += testing::MoveTo(command->Centre());
        clicks += {QStringLiteral("click"), QStringLiteral("1"), QStringLiteral("sleep"),
                   QStringLiteral("0.05")};
    }
    testing::Xdo(clicks);
    QTest::qWait(200);  // many passes of the run's event handling
    const PageState afterClicks = PageState::Of(program.Map());
    EXPECT_EQ(afterClicks, during) << "after the clicks: " << Describe(afterClicks);
    DismissDialogs(program);
    testing::DragWithPointer(sourceCentre, listCentre);
    QTest::qWait(400);
    EXPECT_EQ(source.Drags(), 1);
    EXPECT_EQ(source.LastResult(), Qt::IgnoreAction) << "the list took a drop during the run";
    const PageState afterDrop = PageState::Of(program.Map());
    EXPECT_EQ(afterDrop, during) << "after the drop: " << Describe(afterDrop);
    ASSERT_TRUE(afterDrop.locked)
        << "the run ended before every click was made; set QUILLMERE_RUN_LOCK_ROWS higher";
    const double clicksSeconds = SecondsSince(runStart);

    const auto done = WaitForMap(program.MapFile(), kRunSeconds, [](const WidgetMap& m) {
        return m.MessageText().has_value() || m.Window("Form2") == nullptr;
    });
    ASSERT_TRUE(done) << "no end of the run in " << kRunSeconds << " s\n" << program.Output();
    const double runSeconds = SecondsSince(runStart);
    ASSERT_EQ(done->MessageText(), "Done.") << program.Output();
    std::printf("%ld rows imported by the real program in %.1f s (clicks and drop: %.1f s)\n", rows,
                runSeconds, clicksSeconds);
    EXPECT_EQ(done->CountWindows("QMessageBox"), 1);
    EXPECT_EQ(done->Rows("ListView1"), before.rows);
    const MappedControl* ok = nullptr;
    for (const auto& window : done->windows) {
        if (window.className == "QMessageBox") {
            ok = done->ButtonCaptioned(window.name, "OK");
            ok = ok != nullptr ? ok : done->ButtonCaptioned(window.name, "&OK");
        }
    }
    ASSERT_NE(ok, nullptr) << "no OK button on the closing box";
    testing::ClickAt(ok->Centre());

    // Every command is back, and no second run follows the first: the page stays unlocked and
    // no other box comes up.
    const auto idle = WaitForMap(program.MapFile(), 10,
                                 [&](const WidgetMap& m) { return PageState::Of(m) == before; });
    ASSERT_TRUE(idle) << Describe(PageState::Of(program.Map()));
    for (const auto& [name, caption] : kLockedCommands) {
        EXPECT_TRUE(idle->Control("Form2", name)->enabled) << caption << " after the run";
    }
    const auto secondRun = WaitForMap(
        program.MapFile(), 2, [&](const WidgetMap& m) { return !(PageState::Of(m) == before); });
    EXPECT_FALSE(secondRun) << "after the run: " << Describe(PageState::Of(*secondRun));

    // The same drop once the run is over is taken, so the refusal above was the lock's.
    testing::DragWithPointer(sourceCentre, listCentre);
    const auto droppedIn = WaitForMap(
        program.MapFile(), 10, [](const WidgetMap& m) { return m.Rows("ListView1").size() == 2; });
    EXPECT_TRUE(droppedIn) << Describe(PageState::Of(program.Map()));
    EXPECT_NE(source.LastResult(), Qt::IgnoreAction);

    // The drags gave the test's window the focus; a click on a label gives it back.
    testing::ClickAt(idle->Control("Form2", "Label5")->Centre());
    EXPECT_TRUE(program.CloseAndWait()) << program.Output();
    ExpectEngineTable(database, rows);
    ExpectMdbtoolsTable(database, rows);
    std::printf("the whole test: %.1f s\n", SecondsSince(testStart));
}

}  // namespace
}  // namespace quillmere
