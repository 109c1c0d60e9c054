#include "import/ImportRun.h"

#include <chrono>
#include <exception>
#include <new>
#include <string_view>
#include <vector>

#include "filelist/FileList.h"
#include "import/ColumnNames.h"
#include "import/CsvSplitter.h"
#include "import/FileReading.h"
#include "import/ImportError.h"
#include "import/ImportLog.h"
#include "import/LongTextColumns.h"
#include "import/Statements.h"
#include "import/TableNames.h"

namespace quillmere {
namespace {

constexpr std::string_view kNoFiles = "No files added.";
constexpr std::string_view kSelectTable = "Please select a table.";
constexpr std::string_view kEnterTableName = "Please enter a table name.";
constexpr std::string_view kTableNameExists = "Table name already exists.";
constexpr std::string_view kDone = "Done.";
constexpr std::string_view kTablesExisted = "Table(s) already exist.";
constexpr long long kProgressEveryRows = 4096;

// What the run was doing when an error struck, so the message can name the file and line.
enum class Step { Other, Reading, CreatingTable, CheckingColumns, StoringRow };

// One pass of the import over the file list: the state of a single Start.
class ImportPass {
  public:
    explicit ImportPass(RunEnvironment& env)
        : env_(env), splitter_(std::string()), started_(std::chrono::steady_clock::now()) {}

    void Run() {
        try {
            RunFiles();
        } catch (const std::bad_alloc&) {
            FailWith(WithContext("There is not enough memory to import this file."));
        } catch (const ImportError& error) {
            // Reading and splitting errors already name the file and line.
            FailWith(error.what());
        } catch (const std::exception& error) {
            FailWith(WithContext(error.what()));
        }
        LetSessionGo();
    }

  private:
    void RunFiles() {
        session_ = env_.sessions->Create();

        // The delimiter and the values the checks test are taken now, once for the run.
        const int fileCount = env_.files->Count();
        const ImportMode mode = env_.options->Mode();
        auto appendTable = env_.options->AppendTable();
        if (appendTable && appendTable->empty()) {
            appendTable.reset();
        }
        const std::string pattern = env_.options->TableNamePattern();
        splitter_ = CsvSplitter(env_.options->Delimiter());
        encoding_ = env_.options->Encoding();

        if (fileCount == 0) {
            return Show(kNoFiles);
        }
        if (mode == ImportMode::AppendToTable && !appendTable) {
            return Show(kSelectTable);
        }
        if (mode == ImportMode::CreateTables && pattern.empty()) {
            return Show(kEnterTableName);
        }
        if (mode == ImportMode::CreateTables && TableListContains(*env_.tables, pattern)) {
            return Show(kTableNameExists);
        }

        summary_.fileCount = fileCount;
        inFileList_ = true;
        for (int n = 1; n <= fileCount; ++n) {
            progress_.fileNumber = n;
            SetPointer(kPointerBusy);
            if (session_->State() != 0) {
                session_->Close();
            }
            session_->SetMode(kModeReadWrite);
            session_->Open(env_.connectionString());

            if (n > env_.files->Count()) {
                throw ImportError("File " + std::to_string(n) + " of " + std::to_string(fileCount) +
                                  " is no longer in the file list.");
            }
            path_ = env_.files->Entry(n);
            progress_.fileCount = fileCount;
            progress_.filePath = path_;
            progress_.rowsInFile = 0;
            Report();
            ReadFile();

            if (mode == ImportMode::CreateTables) {
                CreateAndFill(MakeTableName(pattern, n));
            } else if (mode == ImportMode::AppendToTable) {
                CheckAndAppend(*appendTable);
            } else {
                ++summary_.skippedNothingChosen;
            }

            Report();
            session_->Close();
            SetPointer(kPointerDefault);
        }
        TellSummary();
        Show(anyTableExisted_ ? kTablesExisted : kDone);
    }

    void ReadFile() {
        step_ = Step::Reading;
        lines_ = {};
        text_.clear();
        text_.shrink_to_fit();  // the last file's text goes before the next one is read
        text_ = ReadWholeFile(path_, encoding_);
        lines_ = splitter_.SplitLines(text_, path_);
        if (lines_.empty()) {
            throw ImportError("The file " + path_ + " is empty.");
        }
        splitter_.SplitFields(lines_[0], fields_);
        columnCount_ = fields_.size();
        step_ = Step::Other;
    }

    void CreateAndFill(const std::string& table) {
        // A table named in the list is skipped; the closing message then says so.
        if (TableListContains(*env_.tables, table)) {
            anyTableExisted_ = true;
            ++summary_.skippedTableExists;
            return;
        }
        table_ = table;
        step_ = Step::CreatingTable;
        const ColumnNaming naming = env_.options->Naming();
        if (naming == ColumnNaming::None) {
            ++summary_.skippedNothingChosen;
            step_ = Step::Other;
            return;
        }
        // Line 0 names the columns and is never a row of a new table.
        constexpr size_t kFirstRow = 1;
        std::vector<std::string> columns;
        bool execute = true;
        switch (naming) {
            case ColumnNaming::FromFirstLine:
                columns = ColumnsFromFirstLine(fields_, env_.yield);
                break;
            case ColumnNaming::AskUser: {
                auto asked = AskColumnNames(*env_.prompts, columnCount_);
                columns = std::move(asked.names);
                execute = !asked.lastAnswerEmpty;
                break;
            }
            case ColumnNaming::Automatic:
                columns = AutomaticColumns(env_.options->FieldNamePattern(), columnCount_);
                break;
            case ColumnNaming::None:
                break;
        }
        if (execute) {
            const auto longText =
                FindLongTextColumns(splitter_, lines_, SelectDataLines(lines_.size(), kFirstRow),
                                    columnCount_, env_.yield);
            session_->Execute(CreateTableStatement(table, columns, longText));
        }
        StoreRows(table, kFirstRow);
        env_.tables->InsertAtTop(table);
        ++summary_.filesImported;
    }

    void CheckAndAppend(const std::string& table) {
        table_ = table;
        step_ = Step::CheckingColumns;
        // The recordset stays open until the file is done; closing the session closes it.
        auto check =
            session_->OpenRecordset(ColumnCheckQuery(table), kCursorStatic, kLockUnspecified);
        const int tableColumns = check->FieldCount();
        if (static_cast<size_t>(tableColumns) == columnCount_) {
            // A blank cell into a typed column is stored as Null: '' fits only Text and Memo.
            emptyAsNull_.assign(columnCount_, false);
            for (int j = 0; j < tableColumns; ++j) {
                const int type = check->FieldType(j);
                emptyAsNull_[static_cast<size_t>(j)] =
                    type != 0 && type != kAdVarWChar && type != kAdLongVarWChar;
            }
            StoreRows(table, env_.options->SkipFirstLine() ? 1 : 0);
            emptyAsNull_.clear();
            ++summary_.filesImported;
        } else {
            ++summary_.skippedColumnCount;
            Show(
                "The columns in the CSV file and the columns in the table must be identical."
                "\r\n\r\n" +
                path_ + " was split by " + splitter_.Delimiter() + " and has " +
                std::to_string(columnCount_) + " columns. The table " + table + " has " +
                std::to_string(tableColumns) + " columns.");
        }
        step_ = Step::Other;
    }

    void StoreRows(const std::string& table, size_t firstIndex) {
        step_ = Step::StoringRow;
        const auto range = SelectDataLines(lines_.size(), firstIndex);
        for (size_t r = range.first; !range.empty && r <= range.last; ++r) {
            const std::string_view line = lines_[r];
            if (line.empty()) {
                // The empty text after a final line break is no line of the file.
                summary_.linesSkipped += r + 1 < lines_.size() ? 1 : 0;
                continue;
            }
            splitter_.SplitFields(line, fields_);
            if (!IsDataLine(line, fields_, columnCount_)) {
                ++summary_.linesSkipped;
                continue;
            }
            ShapeRow(fields_, columnCount_);
            if (env_.yield) {
                for (size_t j = 0; j < columnCount_; ++j) {
                    env_.yield();
                }
            }
            BuildInsertRowStatement(lastRowStatement_, table, fields_, emptyAsNull_);
            row_ = line;
            session_->Execute(lastRowStatement_);
            ++progress_.rowsInFile;
            ++progress_.rowsTotal;
            ++summary_.rowsStored;
            if (progress_.rowsInFile % kProgressEveryRows == 0) {
                Report();
            }
        }
        step_ = Step::Other;
    }

    // The error path: the pointer back to the default, the log, the message; the run ends.
    void FailWith(const std::string& description) {
        SetPointer(kPointerDefault);
        if (inFileList_) {
            summary_.failed = true;
            summary_.failedFile = progress_.fileNumber;
            TellSummary();
        }
        const auto log = WriteImportLog(description, lastRowStatement_);
        env_.prompts->ShowMessage(ImportFailureMessage(description, log), MessageButtons::Ok,
                                  MessageIcon::None);
    }

    std::string WithContext(const std::string& description) const {
        switch (step_) {
            case Step::Reading:
                return description + " (reading " + path_ + ")";
            case Step::CreatingTable:
                return description + " (creating table " + table_ + " for " + path_ + ")";
            case Step::CheckingColumns:
                return description + " (checking the columns of table " + table_ + " for " + path_ +
                       ")";
            case Step::StoringRow: {
                const auto offset = static_cast<size_t>(row_.data() - text_.data());
                return description + " (" + path_ + ", line " +
                       std::to_string(LineNumberAt(text_, offset)) + ")";
            }
            case Step::Other:
                break;
        }
        return description;
    }

    // The session is let go on every path; an open one is closed first.
    void LetSessionGo() {
        try {
            if (session_ && session_->State() != 0) {
                session_->Close();
            }
        } catch (const std::exception&) {
            // The run is over and has reported; a failing close has nothing left to undo.
        }
        session_.reset();
    }

    void Show(std::string_view text) {
        env_.prompts->ShowMessage(std::string(text), MessageButtons::Ok, MessageIcon::None);
    }

    void SetPointer(int pointer) {
        if (env_.pointer != nullptr) {
            env_.pointer->Set(pointer);
        }
    }

    void Report() {
        if (env_.progress) {
            env_.progress(progress_);
        }
    }

    void TellSummary() {
        summary_.elapsed = std::chrono::steady_clock::now() - started_;
        if (env_.finished) {
            env_.finished(summary_);
        }
    }

    RunEnvironment& env_;
    std::unique_ptr<DatabaseSession> session_;
    CsvSplitter splitter_;
    std::string encoding_;
    std::string lastRowStatement_;
    bool anyTableExisted_ = false;
    std::chrono::steady_clock::time_point started_;
    bool inFileList_ = false;  // past the start checks: there is something to sum up
    ImportSummary summary_;

    // The file in hand.
    std::string path_;
    std::string text_;
    CsvLines lines_;
    std::vector<std::string_view> fields_;
    std::vector<bool> emptyAsNull_;  // append mode: per column, '' goes in as NULL
    size_t columnCount_ = 0;
    ImportProgress progress_;

    // Where the run is, for error messages.
    Step step_ = Step::Other;
    std::string table_;
    std::string_view row_;
};

}  // namespace

ImportRun::ImportRun(RunEnvironment environment) : env_(std::move(environment)) {}

void ImportRun::Start() {
    if (inProgress_) {
        return;
    }
    inProgress_ = true;
    struct Idle {
        bool& flag;
        ~Idle() { flag = false; }
    } idle{inProgress_};
    ImportPass pass(env_);
    pass.Run();
}

}  // namespace quillmere
