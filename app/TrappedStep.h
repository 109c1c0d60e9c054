#pragma once
// Runs one numbered step of a handler that traps its own errors: on an error the
// "Application Error" box names the page, handler and step, and the handler goes on.
#include <functional>
#include <string_view>

#include "app/Prompts.h"

namespace quillmere {

// True when the step ran without an error.
bool RunTrappedStep(Prompts& prompts, std::string_view page, std::string_view handler, int line,
                    const std::function<void()>& step);

}  // namespace quillmere
