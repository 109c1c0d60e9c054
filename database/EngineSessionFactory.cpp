// The factory of the engine that ships with the program: sessions over accessdb.
#include <memory>

#include "database/AccessDbSession.h"
#include "database/DatabaseSession.h"

namespace quillmere {
namespace {
class EngineFactory : public SessionFactory {
  public:
    std::unique_ptr<DatabaseSession> Create() override {
        return std::make_unique<AccessDbSession>();
    }
};
}  // namespace

std::unique_ptr<SessionFactory> MakeEngineSessionFactory() {
    return std::make_unique<EngineFactory>();
}

}  // namespace quillmere
