#include "app/ui/QtPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include "app/ApplicationTitle.h"

namespace quillmere {
namespace {
QString Caption(const std::string& caption) {
    return QString::fromStdString(caption.empty() ? ApplicationTitle() : caption);
}

// The page the user is looking at owns the box.
QWidget* Owner() {
    return QApplication::activeWindow();
}
}  // namespace

QString BoxText(const std::string& text) {
    QString result = QString::fromStdString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

MessageAnswer QtPrompts::ShowMessage(const std::string& text, MessageButtons buttons,
                                     MessageIcon icon, const std::string& caption) {
    QMessageBox box(Owner());
    box.setWindowTitle(Caption(caption));
    box.setText(BoxText(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

std::string QtPrompts::AskInput(const std::string& prompt, const std::string& defaultAnswer) {
    bool accepted = false;
    const QString answer =
        QInputDialog::getText(Owner(), Caption({}), BoxText(prompt), QLineEdit::Normal,
                              QString::fromStdString(defaultAnswer), &accepted);
    return accepted ? answer.toStdString() : std::string();
}

}  // namespace quillmere
