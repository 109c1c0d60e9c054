#include "TerminalPrompts.h"

namespace quillmere::tool {

std::string TerminalLines(const std::string& text) {
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines.push_back(text[i]);
        }
    }
    return lines;
}

MessageAnswer TerminalPrompts::ShowMessage(const std::string& text, MessageButtons buttons,
                                           MessageIcon, const std::string&) {
    if (beforeOutput_) {
        beforeOutput_();
    }
    shownAny_ = true;
    shownOther_ = shownOther_ || (text != "Done." && text != "Table(s) already exist.");
    out_ << TerminalLines(text) << '\n' << std::flush;
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    out_ << "[y/N] " << std::flush;
    std::string answer;
    std::getline(in_, answer);
    return (answer == "y" || answer == "Y" || answer == "yes") ? MessageAnswer::Yes
                                                               : MessageAnswer::No;
}

std::string TerminalPrompts::AskInput(const std::string& prompt, const std::string& defaultAnswer) {
    if (beforeOutput_) {
        beforeOutput_();
    }
    out_ << TerminalLines(prompt) << ' ';
    if (!defaultAnswer.empty()) {
        out_ << '[' << defaultAnswer << "] ";
    }
    out_ << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) {
        return {};  // end of input is Cancel
    }
    if (!answer.empty() && answer.back() == '\r') {
        answer.pop_back();
    }
    return answer.empty() ? defaultAnswer : answer;
}

}  // namespace quillmere::tool
