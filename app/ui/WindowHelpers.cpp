#include "app/ui/WindowHelpers.h"

#include <sys/stat.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QWidget>
#include <cmath>
#include <stdexcept>

#include "app/CursorFile.h"
#include "app/FileExistsByDate.h"
#include "app/ProgramFolder.h"
#include "filelist/FileSystemPath.h"

namespace quillmere {
namespace {
void PaintFace(QWidget* widget, const QColor& face) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, face);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
}  // namespace

void ApplyFaceColour(QWidget* window) {
    const QColor face = window->palette().color(QPalette::Button);
    PaintFace(window, face);
    for (auto* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child)) {
            PaintFace(child, face);
        }
    }
}

bool ApplySkin(QWidget* page) {
    const std::string path = FromFileSystemPath(ProgramFolder() / "x" / "o.cjs");
    if (!IsRegularFile(path)) {
        return false;
    }
    ApplyFaceColour(page);
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("Cannot read the window skin " + path + ": " +
                                 file.errorString().toStdString());
    }
    page->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

std::optional<QCursor> LoadHandCursor() {
    const std::string path = FromFileSystemPath(ProgramFolder() / "HAND-M.CUR");
    if (!FileExistsByDate(path)) {
        return std::nullopt;
    }
    const CursorHeader header = ReadCursorFile(path);
    QImageReader reader(QString::fromStdString(path), "cur");
    const QImage image = reader.read();
    if (image.isNull()) {
        throw std::runtime_error("Invalid picture: " + path + " (" +
                                 reader.errorString().toStdString() + ")");
    }
    return QCursor(QPixmap::fromImage(image), header.hotSpotX, header.hotSpotY);
}

QIcon ApplicationIcon() {
    // A small drawn icon: a table sheet with a green header row.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(40, 40, 40));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 5, 25, 22);
    painter.fillRect(4, 6, 24, 6, QColor(46, 125, 50));
    for (int y = 17; y < 27; y += 5) {
        painter.drawLine(4, y, 27, y);
    }
    painter.drawLine(12, 12, 12, 26);
    painter.drawLine(20, 12, 20, 26);
    painter.end();
    return QIcon(pixmap);
}

void FitCaption(QWidget* control) {
    QString text;
    int room = control->width();
    if (auto* label = qobject_cast<QLabel*>(control)) {
        text = label->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        text = button->text();
        room -= 8;  // the button's frame and margins
    }
    QFont font = control->font();
    while (!text.isEmpty() && font.pointSizeF() > 6.0 &&
           QFontMetrics(font).horizontalAdvance(text) > room) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    control->setFont(font);
}

void UsePageFontFamily(QWidget* page) {
    QFont font = page->font();
    font.setFamilies({QString::fromLatin1(kPageFontFamily)});
    page->setFont(font);
}

int TwipsToPixels(int twips, const QWidget* widget) {
    const double dpi = widget != nullptr ? widget->logicalDpiX() : 96.0;
    return static_cast<int>(std::lround(twips / 15.0 * dpi / 96.0));
}

}  // namespace quillmere
