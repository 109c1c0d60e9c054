#include "database/ProviderCheck.h"

#include <algorithm>
#include <cctype>

#include "app/ApplicationError.h"

namespace quillmere {
namespace {
constexpr long kProviderNotFound = 3706;

bool IsMissingProvider(long number, std::string description) {
    std::transform(description.begin(), description.end(), description.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return number == kProviderNotFound ||
           description.find("provider cannot be found") != std::string::npos;
}
}  // namespace

const std::vector<std::string>& ProviderDownloadPages() {
    static const std::vector<std::string> pages = {
        "https://www.microsoft.com/en-us/download/details.aspx?id=13255",
        "https://www.microsoft.com/en-us/download/details.aspx?id=54920",
    };
    return pages;
}

std::string MissingProviderText() {
    const std::string paragraphs[] = {
        "Error #3706: Provider cannot be found. It may not be properly installed.",
        "You are getting this error because:",
        "1. Microsoft Access is not installed on your computer.",
        "2. A set of Microsoft components to transfer data is not installed on your computer.",
        "You need to download and install Microsoft Access Database Engine 2010 or 2016 to "
        "solve this problem.",
        "Would you like me to open the Microsoft site now so you can do this?",
        "(If you have any further questions please email a screenshot of this error message to " +
            std::string(kSupportEmail) + ")",
    };
    std::string text;
    for (const auto& paragraph : paragraphs) {
        if (!text.empty()) {
            text += "\r\n\r\n";
        }
        text += paragraph;
    }
    return text;
}

bool CheckProvider(SessionFactory& sessions, Prompts& prompts,
                   const std::function<void(const std::string&)>& openAddress) {
    try {
        auto session = sessions.Create();
        return true;
    } catch (const DatabaseError& error) {
        if (!IsMissingProvider(error.Number(), error.Description())) {
            return false;
        }
    } catch (const std::exception& error) {
        if (!IsMissingProvider(0, error.what())) {
            return false;
        }
    } catch (...) {
        return false;
    }
    try {
        if (prompts.ShowMessage(MissingProviderText(), MessageButtons::YesNo, MessageIcon::None) ==
            MessageAnswer::Yes) {
            for (const auto& page : ProviderDownloadPages()) {
                try {
                    openAddress(page);
                } catch (...) {
                    // The hand-over to the browser is not examined.
                }
            }
        }
    } catch (...) {
        // The check never raises to its caller.
    }
    return false;
}

}  // namespace quillmere
