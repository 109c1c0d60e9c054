#pragma once
// ListView1: the file list in report style, one column "CSV Files", one row per entry of the
// FileList model it shows; a path wider than the column is cut in the middle and shown whole in
// the row's tooltip. The model lives outside (the page owns it), so the import run and the
// tests use it without a window. The view reports gestures as signals and keeps its Qt event
// handlers virtual, so dropping and drag reordering can be added by overriding them.
#include <QTreeWidget>
#include <string>
#include <vector>

#include "filelist/FileList.h"

namespace quillmere {

class FileListView : public QTreeWidget {
    Q_OBJECT
  public:
    explicit FileListView(FileList& model, QWidget* parent = nullptr);

    FileList& Model() { return model_; }
    // Shows the model's current entries and selection.
    void Refresh();
    // The single column "CSV Files", widthInPixels wide.
    void SetUpColumn(int widthInPixels);
    // Makes the selected entry visible.
    void ScrollToSelected();

  signals:
    void removeRequested();  // double-click or the Delete key

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    static void ShowPath(QTreeWidgetItem& item, const std::string& path);
    void SelectionChangedByUser();

    FileList& model_;
    std::vector<std::string> shown_;
    bool refreshing_ = false;
};

inline constexpr const char* kFileListToolTip =
    "Drag and drop files here. Double-click item to remove it. Move | line to right and out of "
    "window to reveal full names.";

}  // namespace quillmere
