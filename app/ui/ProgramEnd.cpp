#include "app/ui/ProgramEnd.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "accessdb/Database.h"

namespace quillmere {

void EndProgramOnClose(AppContext& context, std::function<bool()> workUnderWay) {
    context.endProgram = [workUnderWay = std::move(workUnderWay)] {
        if (workUnderWay()) {
            accessdb::CloseDatabasesForExit();
            std::fflush(nullptr);
            std::_Exit(0);
        }
        QCoreApplication::exit(0);
    };
}

}  // namespace quillmere
