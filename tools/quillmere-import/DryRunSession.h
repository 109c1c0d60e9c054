#pragma once
// The dry run's sessions: every statement is printed, then executed against a database whose
// changes are discarded (database/DiscardingSessions.h), so the run meets every error the real
// run would meet, and the database stays as it was.
#include <functional>
#include <memory>
#include <ostream>

#include "database/DatabaseSession.h"

namespace quillmere::tool {

class DryRunSessionFactory : public SessionFactory {
  public:
    DryRunSessionFactory(std::ostream& out, std::unique_ptr<SessionFactory> discarding)
        : out_(out), discarding_(std::move(discarding)) {}
    std::unique_ptr<DatabaseSession> Create() override;

    // Called before a statement is printed, so a progress line can make room for it.
    void SetBeforeOutput(std::function<void()> beforeOutput) {
        beforeOutput_ = std::move(beforeOutput);
    }

  private:
    std::ostream& out_;
    std::unique_ptr<SessionFactory> discarding_;
    std::function<void()> beforeOutput_;
};

}  // namespace quillmere::tool
