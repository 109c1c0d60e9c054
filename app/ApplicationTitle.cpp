#include "app/ApplicationTitle.h"

#include "app/ApplicationError.h"

namespace quillmere {
namespace {
std::string& Title() {
    static std::string title(kProductName);
    return title;
}
}  // namespace

std::string MakeApplicationTitle(std::string_view productName) {
    std::string title(productName);
    do {
        const auto blank = title.rfind(' ');
        if (blank == std::string::npos) {
            break;
        }
        title.erase(blank);
    } while (title.size() > 40);
    return title;
}

const std::string& ApplicationTitle() {
    return Title();
}

void SetApplicationTitle(const std::string& title) {
    Title() = title;
}

}  // namespace quillmere
