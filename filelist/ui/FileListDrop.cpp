#include "filelist/ui/FileListDrop.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "filelist/FileDrop.h"
#include "filelist/ui/QtPathText.h"

namespace quillmere {

namespace {

// The list only takes the paths; the files stay where they are. Answering "moved" would let a
// file manager delete the originals after the drop, so a drop is a copy whenever the source
// allows one (else a link).
void AcceptAsCopy(QDropEvent& event) {
    if (event.possibleActions() & Qt::CopyAction) {
        event.setDropAction(Qt::CopyAction);
        event.accept();
    } else if (event.possibleActions() & Qt::LinkAction) {
        event.setDropAction(Qt::LinkAction);
        event.accept();
    } else {
        event.acceptProposedAction();
    }
}

}  // namespace

std::vector<std::string> DroppedFilePaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
#ifdef _WIN32
            paths.push_back(FromQtPath(url.toLocalFile()));
#else
            // The address carries the name's bytes percent-encoded; decoding them here keeps a
            // name that is not UTF-8, which Qt's text would turn into replacement characters.
            paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
                                .toStdString());
#endif
        }
    }
    return paths;
}

FileListDrop::FileListDrop(QAbstractItemView& view, FileList& files, FolderWalkHooks hooks,
                           std::function<bool()> locked)
    : QObject(&view), files_(files), hooks_(std::move(hooks)), locked_(std::move(locked)) {
    view.setAcceptDrops(true);
    view.viewport()->setAcceptDrops(true);
    view.setDropIndicatorShown(false);
    view.viewport()->installEventFilter(this);
}

bool FileListDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if ((locked_ && locked_()) || DroppedFilePaths(drag->mimeData()).empty()) {
                drag->ignore();  // the pointer shows that nothing can be dropped here
            } else {
                AcceptAsCopy(*drag);
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            std::vector<std::string> paths;
            if (!locked_ || !locked_()) {
                paths = DroppedFilePaths(drop->mimeData());
            }
            if (paths.empty()) {
                drop->ignore();
                return true;
            }
            AcceptAsCopy(*drop);
            // Walking a dropped folder can take a while: do it once the drop has been answered,
            // so the file manager that started the drag is not kept waiting.
            QMetaObject::invokeMethod(
                this,
                [this, paths = std::move(paths)] { AppendDroppedPaths(paths, files_, hooks_); },
                Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace quillmere
