#pragma once
// The ordered list of files to import. Its order is the import order; duplicates are allowed.
// Positions are 1-based as the user sees them; the selection is one entry at most.
#include <functional>
#include <string>
#include <vector>

namespace quillmere {

class FileList {
  public:
    void Append(const std::string& path);
    int Count() const { return static_cast<int>(entries_.size()); }
    // 1-based position.
    const std::string& Entry(int position) const;
    void SetEntry(int position, const std::string& text);
    void Insert(int position, const std::string& path);
    void Remove(int position);
    void Clear();
    // Exact, case-sensitive comparison of whole texts.
    bool IsInList(const std::string& path) const;

    // 0 when nothing is selected.
    int Selected() const { return selected_; }
    void Select(int position);

    // Changes whenever entries may have moved to other positions or gone (insert, remove,
    // clear); appending and changing a text keep it. Lets a remembered position (the drag of an
    // entry) find out that it no longer names the same entry.
    unsigned long long PositionsVersion() const { return positionsVersion_; }

    // Told after every change (entries or selection), so a view can refresh.
    void SetObserver(std::function<void()> observer) { observer_ = std::move(observer); }

  private:
    void Changed();
    std::vector<std::string> entries_;
    int selected_ = 0;
    unsigned long long positionsVersion_ = 0;
    std::function<void()> observer_;
};

}  // namespace quillmere
