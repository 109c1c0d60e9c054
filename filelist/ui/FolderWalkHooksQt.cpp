#include "filelist/ui/FolderWalkHooksQt.h"

#include <QCoreApplication>
#include <chrono>

#include "app/ApplicationError.h"

namespace quillmere {

FolderWalkHooks MakeWindowFolderWalkHooks(Prompts& prompts) {
    FolderWalkHooks hooks;
    // A pass of the event loop for every folder would cost more than the walk on a large tree;
    // every 10 ms keeps the window repainted and usable.
    hooks.yield = [last = std::chrono::steady_clock::time_point()]() mutable {
        const auto now = std::chrono::steady_clock::now();
        if (now - last >= std::chrono::milliseconds(10)) {
            last = now;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
    };
    hooks.reportError = [&prompts](const std::string& description, int step) {
        ReportApplicationError(prompts, description, kFolderWalkLocation, step);
    };
    return hooks;
}

}  // namespace quillmere
