#pragma once
// Message and input boxes with Qt. Texts come as the program composes them; CR LF and a lone CR
// both become a line break, so CR CR shows as a blank line.
#include <QString>
#include <string>

class QWidget;

#include "app/Prompts.h"

namespace quillmere {

QString BoxText(const std::string& text);

// The width a box needs so that its title bar shows the whole title.
int TitleRoom(const QString& title, const QWidget& box);

class QtPrompts : public Prompts {
  public:
    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                              const std::string& caption = {}) override;
    std::string AskInput(const std::string& prompt, const std::string& defaultAnswer) override;
};

}  // namespace quillmere
