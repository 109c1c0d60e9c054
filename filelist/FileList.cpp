#include "filelist/FileList.h"

#include <stdexcept>

namespace quillmere {

void FileList::Append(const std::string& path) {
    entries_.push_back(path);
    Changed();
}

const std::string& FileList::Entry(int position) const {
    if (position < 1 || position > Count()) {
        throw std::out_of_range("File list position " + std::to_string(position) +
                                " is out of range (1 to " + std::to_string(Count()) + ")");
    }
    return entries_[static_cast<size_t>(position - 1)];
}

void FileList::SetEntry(int position, const std::string& text) {
    Entry(position);  // range check
    entries_[static_cast<size_t>(position - 1)] = text;
    Changed();
}

void FileList::Insert(int position, const std::string& path) {
    if (position < 1 || position > Count() + 1) {
        throw std::out_of_range("File list position " + std::to_string(position) +
                                " is out of range for an insert");
    }
    entries_.insert(entries_.begin() + (position - 1), path);
    ++positionsVersion_;
    if (selected_ >= position) {
        ++selected_;
    }
    Changed();
}

void FileList::Remove(int position) {
    Entry(position);  // range check
    entries_.erase(entries_.begin() + (position - 1));
    ++positionsVersion_;
    if (selected_ == position) {
        selected_ = 0;
    } else if (selected_ > position) {
        --selected_;
    }
    Changed();
}

void FileList::Clear() {
    entries_.clear();
    ++positionsVersion_;
    selected_ = 0;
    Changed();
}

bool FileList::IsInList(const std::string& path) const {
    bool found = false;
    for (const auto& entry : entries_) {
        found = found || entry == path;
    }
    return found;
}

void FileList::Select(int position) {
    selected_ = (position >= 1 && position <= Count()) ? position : 0;
    Changed();
}

void FileList::Changed() {
    if (observer_) {
        observer_();
    }
}

}  // namespace quillmere
