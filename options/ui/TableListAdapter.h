#pragma once
// List1 of the files page seen by the table catalogue (filling it) and by the import run
// (reading it and adding new tables at its top).
#include <QListWidget>

#include "database/TableCatalogue.h"
#include "import/RunEnvironment.h"

namespace quillmere {

class TableListAdapter : public ListControl, public TableList {
  public:
    explicit TableListAdapter(QListWidget& list) : list_(list) {}
    void Clear() override { list_.clear(); }
    void Add(const std::string& text) override { list_.addItem(QString::fromStdString(text)); }
    int Count() const override { return list_.count(); }
    void Select(int index) override { list_.setCurrentRow(index); }
    std::string At(int index) const override { return list_.item(index)->text().toStdString(); }
    void InsertAtTop(const std::string& name) override {
        list_.insertItem(0, QString::fromStdString(name));
    }

  private:
    QListWidget& list_;
};

}  // namespace quillmere
