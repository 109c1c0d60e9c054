#include "app/ui/WidgetMapFile.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace quillmere {
namespace {

// Rewritten this often: quick enough for a test waiting on a change, and far below what the
// window's own painting costs, also while an import yields to the event loop.
constexpr int kIntervalMilliseconds = 100;
// A long list is cut here; the tests that read the file use short ones.
constexpr int kMaxRowsPerList = 200;

QString OneLine(QString text) {
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString Caption(const QWidget& widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return label->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        return edit->echoMode() == QLineEdit::Normal ? edit->text() : QString();
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(&widget)) {
        return frame->title();
    }
    return {};
}

// The widget's rectangle on the screen, in device pixels (what xdotool moves the pointer in).
QString ScreenPlace(const QWidget& widget) {
    const qreal ratio = widget.devicePixelRatioF();
    const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
    return QStringLiteral("%1\t%2\t%3\t%4")
        .arg(qRound(origin.x() * ratio))
        .arg(qRound(origin.y() * ratio))
        .arg(qRound(widget.width() * ratio))
        .arg(qRound(widget.height() * ratio));
}

void WriteRows(QTextStream& out, const QAbstractItemView& list) {
    const QAbstractItemModel* model = list.model();
    if (model == nullptr) {
        return;
    }
    const int rows = std::min(model->rowCount(), kMaxRowsPerList);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = model->index(row, 0);
        QString text = model->data(index, Qt::ToolTipRole).toString();
        if (text.isEmpty()) {
            text = model->data(index, Qt::DisplayRole).toString();
        }
        out << "row\t" << list.objectName() << '\t' << row << '\t' << OneLine(text) << '\n';
    }
}

void WriteWindow(QTextStream& out, QWidget& window) {
    out << "window\t" << window.objectName() << '\t' << window.metaObject()->className() << '\t'
        << ScreenPlace(window) << '\t' << OneLine(window.windowTitle()) << '\n';
    if (auto* box = qobject_cast<QMessageBox*>(&window)) {
        out << "control\t" << window.objectName() << "\tMessageText\tQLabel\t" << ScreenPlace(*box)
            << "\t1\t" << OneLine(box->text()) << '\n';
    }
    for (QWidget* child : window.findChildren<QWidget*>()) {
        // A dialog owned by the window is a window of its own, written on its own lines.
        if (!child->isVisible() || child->window() != &window) {
            continue;
        }
        // The buttons of a message box carry no names; their captions tell them apart.
        const bool button = qobject_cast<QAbstractButton*>(child) != nullptr;
        if (child->objectName().isEmpty() && !button) {
            continue;
        }
        out << "control\t" << window.objectName() << '\t' << child->objectName() << '\t'
            << child->metaObject()->className() << '\t' << ScreenPlace(*child) << '\t'
            << (child->isEnabled() ? 1 : 0) << '\t' << OneLine(Caption(*child)) << '\n';
        if (const auto* list = qobject_cast<QAbstractItemView*>(child)) {
            WriteRows(out, *list);
        }
    }
}

void WriteMap(const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return;  // a test aid: nothing to tell the user
    }
    QTextStream out(&file);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            WriteWindow(out, *window);
        }
    }
    out.flush();
    file.commit();
}

}  // namespace

void StartWidgetMapFileFromEnvironment(QObject* owner) {
    const QString path = qEnvironmentVariable("QUILLMERE_WIDGET_MAP");
    if (path.isEmpty()) {
        return;
    }
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [path] { WriteMap(path); });
    timer->start(kIntervalMilliseconds);
}

}  // namespace quillmere
