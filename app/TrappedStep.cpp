#include "app/TrappedStep.h"

#include <exception>

#include "app/ApplicationError.h"

namespace quillmere {

bool RunTrappedStep(Prompts& prompts, std::string_view page, std::string_view handler, int line,
                    const std::function<void()>& step) {
    std::string description;
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        description = error.what();
    } catch (...) {
        description = "Unknown error";
    }
    ReportApplicationError(prompts, description, HandlerLocation(page, handler), line);
    return false;
}

}  // namespace quillmere
