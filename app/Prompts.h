#pragma once
// The boxes the program shows, behind an interface so that every rule that shows one can run
// in a test without a window. The Qt pages implement it with real message and input boxes.
#include <string>

namespace quillmere {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Exclamation };
enum class MessageAnswer { Ok, Yes, No };

class Prompts {
  public:
    virtual ~Prompts() = default;

    // Shows a message box. An empty caption means the application title. Texts are passed as
    // the program composes them (CR LF, lone CRs); a window implementation shows a lone CR as
    // a line break.
    virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                                      MessageIcon icon, const std::string& caption = {}) = 0;

    // Shows an input box captioned with the application title. Returns the text typed, or the
    // empty text when the user cancels (as the platform's input box does).
    virtual std::string AskInput(const std::string& prompt, const std::string& defaultAnswer) = 0;
};

}  // namespace quillmere
