#include "app/ui/QtPrompts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
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

int TitleRoom(const QString& title, const QWidget& box) {
    // The title bar's font is the window manager's; the box's own font, a little larger and
    // bold as most title bars are, plus room for the icon and the three window buttons.
    QFont font = box.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.1);
    constexpr int kWindowButtonsAndIcon = 140;
    return QFontMetrics(font).horizontalAdvance(title) + kWindowButtonsAndIcon;
}

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
    // A box sized to a short text ("Done.") would leave its title no room; QMessageBox sets its
    // own size, so the room is a spacer across its layout.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(TitleRoom(box.windowTitle(), box), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
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
    QInputDialog dialog(Owner());
    dialog.setWindowTitle(Caption({}));
    dialog.setLabelText(BoxText(prompt));
    dialog.setTextValue(QString::fromStdString(defaultAnswer));
    // The dialog sizes itself to its contents; the box for the answer carries the room.
    if (auto* answer = dialog.findChild<QLineEdit*>()) {
        answer->setMinimumWidth(TitleRoom(dialog.windowTitle(), dialog));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.textValue().toStdString();
}

}  // namespace quillmere
