#pragma once
// The run's boxes on a terminal: every message is printed to standard output, questions are
// read from standard input. Remembers whether the run ended well, for the exit status.
#include <functional>
#include <iostream>
#include <string>

#include "app/Prompts.h"

namespace quillmere::tool {

class TerminalPrompts : public Prompts {
  public:
    TerminalPrompts(std::ostream& out, std::istream& in) : out_(out), in_(in) {}

    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                              const std::string& caption) override;
    std::string AskInput(const std::string& prompt, const std::string& defaultAnswer) override;

    // Called before a message is printed, so a progress line can make room for it.
    void SetBeforeOutput(std::function<void()> beforeOutput) {
        beforeOutput_ = std::move(beforeOutput);
    }

    // True when some message was shown and every message was "Done." or
    // "Table(s) already exist.".
    bool EndedWell() const { return shownAny_ && !shownOther_; }

  private:
    std::ostream& out_;
    std::istream& in_;
    std::function<void()> beforeOutput_;
    bool shownAny_ = false;
    bool shownOther_ = false;
};

// The text with CR LF and lone CR turned into the terminal's line feed.
std::string TerminalLines(const std::string& text);

}  // namespace quillmere::tool
