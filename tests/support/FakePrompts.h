#pragma once
// Prompts that record every box and answer from a script, for tests without a window.
#include <deque>
#include <string>
#include <vector>

#include "app/Prompts.h"

namespace quillmere::testing {

struct ShownMessage {
    std::string text;
    MessageButtons buttons;
    MessageIcon icon;
    std::string caption;
};

class FakePrompts : public Prompts {
  public:
    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                              const std::string& caption) override {
        messages.push_back({text, buttons, icon, caption});
        if (buttons == MessageButtons::Ok) {
            return MessageAnswer::Ok;
        }
        if (answers.empty()) {
            return MessageAnswer::No;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::string AskInput(const std::string& prompt, const std::string& defaultAnswer) override {
        inputPrompts.push_back(prompt);
        inputDefaults.push_back(defaultAnswer);
        if (inputs.empty()) {
            return {};
        }
        auto input = inputs.front();
        inputs.pop_front();
        return input;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;  // for Yes/No boxes, in order; No when exhausted
    std::vector<std::string> inputPrompts;
    std::vector<std::string> inputDefaults;
    std::deque<std::string> inputs;  // answers to input boxes, in order; "" when exhausted
};

}  // namespace quillmere::testing
