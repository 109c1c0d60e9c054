#pragma once
// A session that prints every statement instead of executing it. When the database exists,
// queries (the column check of appending) still go to it, opened for reading only.
#include <functional>
#include <memory>
#include <ostream>

#include "database/DatabaseSession.h"

namespace quillmere::tool {

class DryRunSessionFactory : public SessionFactory {
  public:
    // engine is the real factory, or null when the database does not exist.
    DryRunSessionFactory(std::ostream& out, SessionFactory* engine, std::string databasePath)
        : out_(out), engine_(engine), databasePath_(std::move(databasePath)) {}
    std::unique_ptr<DatabaseSession> Create() override;

    // Called before a statement is printed, so a progress line can make room for it.
    void SetBeforeOutput(std::function<void()> beforeOutput) {
        beforeOutput_ = std::move(beforeOutput);
    }

  private:
    std::ostream& out_;
    SessionFactory* engine_;
    std::string databasePath_;
    std::function<void()> beforeOutput_;
};

}  // namespace quillmere::tool
