#pragma once
// Dropping files and folders from a file manager onto the file list (ListView1). Data that holds
// no file paths is refused while it is dragged over the list (the no-drop pointer) and ignored
// when released; so is every drop while the page says it is locked (a run or a folder scan in
// progress). Otherwise the list keeps accepting drops whatever happens in it.
#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "filelist/AddFolder.h"

class QAbstractItemView;
class QMimeData;

namespace quillmere {

class FileList;

// The local file paths of drag data, in the order the source put them; empty when it holds
// none (text, web addresses).
std::vector<std::string> DroppedFilePaths(const QMimeData* data);

class FileListDrop : public QObject {
    Q_OBJECT
  public:
    // Watches the view's drag and drop events from now on; `files` is the list the view shows.
    // While `locked` returns true (it may be empty: never), drops are refused.
    FileListDrop(QAbstractItemView& view, FileList& files, FolderWalkHooks hooks,
                 std::function<bool()> locked = {});

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    FileList& files_;
    FolderWalkHooks hooks_;
    std::function<bool()> locked_;
};

}  // namespace quillmere
