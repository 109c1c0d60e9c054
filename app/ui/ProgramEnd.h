#pragma once
// How closing a page ends the program.
#include <functional>

#include "app/ui/AppContext.h"

namespace quillmere {

// Sets context.endProgram: closing either page ends the program at once. While `workUnderWay`
// says an import or a folder scan works, that work sits below the event loop pass that handles
// the close, so the process ends right there, without unwinding. The engine holds the last
// statements in memory until it writes them as a group: they are written (and the database
// closed) first, so every statement already executed is in the file; every setting was written
// when it changed.
void EndProgramOnClose(AppContext& context, std::function<bool()> workUnderWay);

}  // namespace quillmere
