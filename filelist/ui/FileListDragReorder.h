#pragma once
// Reordering the file list (ListView1) by dragging an entry with the mouse; the rules live in
// DragReorder, this only feeds it the list's mouse events and shows what it decides.
#include <QObject>
#include <functional>
#include <optional>

#include <QCursor>

#include "filelist/DragReorder.h"

class QAbstractItemView;

namespace quillmere {

class PagePointer;

// The drag cursor from "drag.ico" in the program folder, or none when it cannot be loaded (the
// drag works without it).
std::optional<QCursor> LoadDragCursor();

class FileListDragReorder : public QObject {
    Q_OBJECT
  public:
    // Watches the view's mouse events from now on. `pagePointer` is the page's pointer (may be
    // null). While `locked` returns true (it may be empty: never), no drag starts and a drag
    // already held moves nothing.
    FileListDragReorder(QAbstractItemView& view, FileList& files, PagePointer* pagePointer,
                        std::function<bool()> locked = {});

    const DragReorder& State() const { return drag_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int HitTest(const QPoint& position) const;
    ListViewport Viewport(const QPoint& position, int hit) const;

    QAbstractItemView& view_;
    QWidget* viewport_;
    FileList& files_;
    DragReorder drag_;
    std::function<bool()> locked_;
    bool forwardingRelease_ = false;
};

}  // namespace quillmere
