#include "filelist/ui/FileListDragReorder.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPixmap>

#include "app/ProgramFolder.h"
#include "filelist/FileSystemPath.h"
#include "filelist/ui/QtPathText.h"

namespace quillmere {

std::optional<QCursor> LoadDragCursor() {
    const QString path = ToQtPath(FromFileSystemPath(ProgramFolder() / "drag.ico"));
    QPixmap image(path);
    if (image.isNull()) {
        return std::nullopt;
    }
    return QCursor(image);  // the hot spot in the middle, where the arrow's shaft is
}

FileListDragReorder::FileListDragReorder(QAbstractItemView& view, FileList& files,
                                         PagePointer* pagePointer, std::function<bool()> locked)
    : QObject(&view),
      view_(view),
      viewport_(view.viewport()),
      files_(files),
      drag_(files, pagePointer),
      locked_(std::move(locked)) {
    viewport_->installEventFilter(this);
}

int FileListDragReorder::HitTest(const QPoint& position) const {
    // The view finds rows beyond its visible area too (the mouse is grabbed while held, so the
    // pointer can be far below the list); only a row the user can see is under the mouse.
    if (!view_.viewport()->rect().contains(position)) {
        return 0;
    }
    const QModelIndex index = view_.indexAt(position);
    if (!index.isValid() || index.parent().isValid() || index.row() >= files_.Count()) {
        return 0;
    }
    return index.row() + 1;
}

ListViewport FileListDragReorder::Viewport(const QPoint& position, int hit) const {
    int rowHeight = 0;
    if (hit > 0) {
        rowHeight = view_.visualRect(view_.model()->index(hit - 1, 0)).height();
    }
    if (rowHeight <= 0) {
        rowHeight = view_.sizeHintForRow(0);
    }
    return {position.y(), view_.viewport()->height(), rowHeight};
}

bool FileListDragReorder::eventFilter(QObject* watched, QEvent* event) {
    // The viewport remembered at the start: while the list is being destroyed its viewport
    // still sends events, and the list can no longer be asked for it.
    if (watched != viewport_) {
        return QObject::eventFilter(watched, event);
    }
    QWidget* viewport = viewport_;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                break;
            }
            if (locked_ && locked_()) {
                return true;  // the list stays as it is: no selection, no drag
            }
            const int hit = HitTest(mouse->position().toPoint());
            drag_.MouseDown(hit != 0);
            if (hit != 0) {
                files_.Select(hit);
                drag_.ItemClick();
                if (auto cursor = LoadDragCursor()) {
                    viewport->setCursor(*cursor);
                }
            }
            break;  // the list handles the press as well (focus, current row)
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint position = mouse->position().toPoint();
            if (drag_.Held() && locked_ && locked_()) {
                return true;  // a drag held when the run started moves nothing
            }
            const int hit = drag_.Held() ? HitTest(position) : 0;
            const DragStep step = drag_.MouseMove(hit, Viewport(position, hit));
            if (step.scrollTo > 0) {
                view_.scrollTo(view_.model()->index(step.scrollTo - 1, 0));
            }
            // While held, the drag decides the selection; the list must not select rows itself.
            return drag_.Held();
        }
        case QEvent::MouseButtonRelease: {
            if (forwardingRelease_ ||
                static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
                break;
            }
            const bool wasHeld = drag_.Held();
            drag_.MouseUp();
            viewport->unsetCursor();  // back to the page's pointer
            if (!wasHeld) {
                break;
            }
            // The list ends its own press here, and would select the row under the pointer (or
            // none, below the last entry). After a scroll or a release in empty space that is not
            // the entry holding the dragged path: the drag's selection stays.
            const int selected = files_.Selected();
            forwardingRelease_ = true;
            QCoreApplication::sendEvent(viewport, event);
            forwardingRelease_ = false;
            if (files_.Selected() != selected && selected <= files_.Count()) {
                files_.Select(selected);
            }
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillmere
