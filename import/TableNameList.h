#pragma once
// A table list held in memory, for callers without a window (the command-line tool, tests).
#include <string>
#include <utility>
#include <vector>

#include "import/RunEnvironment.h"

namespace quillmere {

class TableNameList : public TableList {
  public:
    TableNameList() = default;
    explicit TableNameList(std::vector<std::string> names) : names_(std::move(names)) {}
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string At(int index) const override { return names_.at(static_cast<size_t>(index)); }
    void InsertAtTop(const std::string& name) override { names_.insert(names_.begin(), name); }
    const std::vector<std::string>& Names() const { return names_; }

  private:
    std::vector<std::string> names_;
};

}  // namespace quillmere
