#pragma once
// Mouse and drag-and-drop events sent to a list's rows as the window system sends them, and the
// drag data a file manager makes.
#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <string>
#include <vector>

namespace quillmere::testing {

// Mouse and drag-and-drop events as the window system sends them to a list's rows.
struct ListDriver {
    QAbstractItemView& view;
    QWidget* Viewport() { return view.viewport(); }
    QPoint RowCentre(int position) {
        return view.visualRect(view.model()->index(position - 1, 0)).center();
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), Viewport()->mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &event);
    }
    void Press(QPoint at) { Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton); }
    void MoveHeld(QPoint at) { Mouse(QEvent::MouseMove, at, Qt::LeftButton); }
    void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at, Qt::NoButton); }

    // Drags data over the list; true when the list would take it.
    bool DragOver(const QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &enter);
        return enter.isAccepted();
    }
    void Drop(const QMimeData& data) {
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Viewport(), &drop);
        QApplication::processEvents();
    }
};

inline QMimeData* FileUrls(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& path : paths) {
        // As a file manager writes them: the path's bytes, percent-encoded.
        urls.push_back(
            QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/")));
    }
    data->setUrls(urls);
    return data;
}

}  // namespace quillmere::testing
