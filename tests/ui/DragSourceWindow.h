#pragma once
// A small window of the test process that starts a drag of file addresses when the pointer
// presses it, as a file manager does: a drop from another program onto the real program's list,
// carried by the X server's drag-and-drop protocol.
#include <QDrag>
#include <QMouseEvent>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/ListDriver.h"

namespace quillmere::testing {

class DragSourceWindow : public QWidget {
  public:
    explicit DragSourceWindow(std::vector<std::string> paths) : paths_(std::move(paths)) {
        setWindowTitle(QStringLiteral("Files to drop"));
        resize(160, 120);
    }
    // What the target answered to the last drag: Qt::IgnoreAction when it refused the drop.
    Qt::DropAction LastResult() const { return result_; }
    int Drags() const { return drags_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        ++drags_;
        auto* drag = new QDrag(this);
        drag->setMimeData(FileUrls(paths_));
        result_ = drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    }

  private:
    std::vector<std::string> paths_;
    Qt::DropAction result_ = Qt::IgnoreAction;
    int drags_ = 0;
};

}  // namespace quillmere::testing
