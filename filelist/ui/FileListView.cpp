#include "filelist/ui/FileListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace quillmere {

FileListView::FileListView(FileList& model, QWidget* parent) : QTreeWidget(parent), model_(model) {
    setObjectName(QStringLiteral("ListView1"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A path wider than the column loses its middle, not its end: the file name stays in view.
    setTextElideMode(Qt::ElideMiddle);
    header()->setStretchLastSection(false);
    setToolTip(QString::fromUtf8(kFileListToolTip));
    setColumnCount(1);
    setHeaderLabels({QString()});
    connect(this, &QTreeWidget::itemSelectionChanged, this, &FileListView::SelectionChangedByUser);
    model_.SetObserver([this] { Refresh(); });
    Refresh();
}

void FileListView::SetUpColumn(int widthInPixels) {
    setHeaderLabels({QStringLiteral("CSV Files")});
    header()->resizeSection(0, widthInPixels);
}

// Brings the rows in line with the model: rows whose text differs are rewritten, missing rows
// added and extra rows removed. Appending to a long list touches one row.
void FileListView::Refresh() {
    refreshing_ = true;
    const int count = model_.Count();
    for (int i = 0; i < count; ++i) {
        const std::string& entry = model_.Entry(i + 1);
        if (i < static_cast<int>(shown_.size())) {
            if (shown_[static_cast<size_t>(i)] != entry) {
                shown_[static_cast<size_t>(i)] = entry;
                ShowPath(*topLevelItem(i), entry);
            }
        } else {
            shown_.push_back(entry);
            auto* item = new QTreeWidgetItem();
            ShowPath(*item, entry);
            addTopLevelItem(item);
        }
    }
    while (static_cast<int>(shown_.size()) > count) {
        shown_.pop_back();
        delete takeTopLevelItem(static_cast<int>(shown_.size()));
    }
    const int selected = model_.Selected();
    QTreeWidgetItem* wanted = selected > 0 ? topLevelItem(selected - 1) : nullptr;
    if (wanted == nullptr) {
        clearSelection();
    } else if (currentItem() != wanted || !wanted->isSelected()) {
        setCurrentItem(wanted);
    }
    refreshing_ = false;
}

// The row shows the path, cut in the middle when the column is narrower; its tooltip always
// holds the whole path.
void FileListView::ShowPath(QTreeWidgetItem& item, const std::string& path) {
    const QString text = QString::fromStdString(path);
    item.setText(0, text);
    item.setToolTip(0, text);
}

void FileListView::ScrollToSelected() {
    if (model_.Selected() > 0) {
        scrollToItem(topLevelItem(model_.Selected() - 1));
    }
}

void FileListView::SelectionChangedByUser() {
    if (refreshing_) {
        return;
    }
    const auto items = selectedItems();
    const int position = items.isEmpty() ? 0 : indexOfTopLevelItem(items.front()) + 1;
    if (position != model_.Selected()) {
        model_.Select(position);
    }
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    emit removeRequested();
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        emit removeRequested();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

}  // namespace quillmere
