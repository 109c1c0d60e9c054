#pragma once
// What an import run talks to. The files page implements these with its controls; tests and the
// command-line tool implement them without a window.
#include <functional>
#include <memory>
#include <string>

#include "app/Prompts.h"
#include "database/DatabaseSession.h"
#include "import/ImportOptions.h"
#include "import/ImportSummary.h"

namespace quillmere {

class FileList;

// The options as the page shows them now. The run reads the delimiter and the values of its
// start checks once, at the start; every other field each time it needs it.
class OptionSource {
  public:
    virtual ~OptionSource() = default;
    virtual std::string Delimiter() const = 0;
    virtual ImportMode Mode() const = 0;
    virtual ColumnNaming Naming() const = 0;
    virtual std::string TableNamePattern() const = 0;
    virtual std::string FieldNamePattern() const = 0;
    virtual bool SkipFirstLine() const = 0;
    virtual std::optional<std::string> AppendTable() const = 0;
    // The encoding named for every file, or empty to tell it from each file's bytes (the
    // window has no such choice).
    virtual std::string Encoding() const { return {}; }
};

// An OptionSource over a fixed set of options (tests, the command-line tool).
class FixedOptionSource : public OptionSource {
  public:
    explicit FixedOptionSource(ImportOptions options) : options_(std::move(options)) {}
    std::string Delimiter() const override { return options_.delimiter; }
    ImportMode Mode() const override { return options_.mode; }
    ColumnNaming Naming() const override { return options_.columnNaming; }
    std::string TableNamePattern() const override { return options_.tableNamePattern; }
    std::string FieldNamePattern() const override { return options_.fieldNamePattern; }
    bool SkipFirstLine() const override { return options_.skipFirstLine; }
    std::optional<std::string> AppendTable() const override { return options_.appendTable; }
    std::string Encoding() const override { return options_.encoding; }
    ImportOptions& Options() { return options_; }

  private:
    ImportOptions options_;
};

// The names of the database's user tables as the page lists them (List1).
class TableList {
  public:
    virtual ~TableList() = default;
    virtual int Count() const = 0;
    virtual std::string At(int index) const = 0;  // 0-based
    virtual void InsertAtTop(const std::string& name) = 0;
};

// Mouse pointer values of a page.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerBusy = 11;
inline constexpr int kPointerCustom = 99;

class PagePointer {
  public:
    virtual ~PagePointer() = default;
    virtual int Get() const = 0;
    virtual void Set(int pointer) = 0;
};

// Progress of a running import, for a status line or a terminal.
struct ImportProgress {
    int fileNumber = 0;  // 1-based
    int fileCount = 0;
    std::string filePath;
    long long rowsInFile = 0;
    long long rowsTotal = 0;
};

struct RunEnvironment {
    OptionSource* options = nullptr;
    Prompts* prompts = nullptr;
    PagePointer* pointer = nullptr;
    TableList* tables = nullptr;
    const FileList* files = nullptr;
    SessionFactory* sessions = nullptr;
    // The connection string made from the database page's current path and password.
    std::function<std::string()> connectionString;
    // Lets the event loop run; cheap to call often.
    std::function<void()> yield;
    // Optional: told after each file starts and every so many rows.
    std::function<void(const ImportProgress&)> progress;
    // Optional: told once what the run did, when it has worked on the file list (after the
    // last file, or on the error path), before its closing message is shown.
    std::function<void(const ImportSummary&)> finished;
};

}  // namespace quillmere
