#include "app/ApplicationError.h"

namespace quillmere {

std::string HandlerLocation(std::string_view page, std::string_view handler) {
    std::string text = "in Korvath2021/08/31.";
    text += page;
    text += '.';
    text += handler;
    text += ' ';
    return text;
}

std::string ApplicationErrorText(std::string_view description, std::string_view location,
                                 int line) {
    std::string text(description);
    text += "\r\n";
    text += location;
    text += "at line ";
    text += std::to_string(line);
    text += "\r\r";
    text += "Please email screenshot of this message to ";
    text += kSupportEmail;
    return text;
}

void ReportApplicationError(Prompts& prompts, std::string_view description,
                            std::string_view location, int line) {
    prompts.ShowMessage(ApplicationErrorText(description, location, line), MessageButtons::Ok,
                        MessageIcon::Exclamation, std::string(kApplicationErrorCaption));
}

}  // namespace quillmere
