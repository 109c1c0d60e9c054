#pragma once
// The lines of a file's text, kept as the offset where each starts: 4 bytes a line where a view
// takes 16. A file of a million short rows is held whole during its import, and its line views
// were the largest thing in memory after the text itself.
//
// A line's end follows from where the next one starts, less its line break: LF or a lone CR is
// one byte, CR LF two. No line's own text ends in a CR outside quotes (a CR there ends the line)
// and a quoted field ends in its closing quote, so the rule never takes a character of the line.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string_view>
#include <vector>

namespace quillmere {

class CsvLines {
  public:
    CsvLines() = default;
    explicit CsvLines(std::string_view text)
        : text_(text), wide_(text.size() > std::numeric_limits<std::uint32_t>::max()) {}

    // Records that a line starts at `offset` (in increasing order).
    void AddLineStart(std::size_t offset) {
        if (wide_)
            wideStarts_.push_back(offset);
        else
            starts_.push_back(static_cast<std::uint32_t>(offset));
    }

    std::size_t size() const { return wide_ ? wideStarts_.size() : starts_.size(); }
    bool empty() const { return size() == 0; }

    std::string_view operator[](std::size_t line) const {
        const std::size_t start = Start(line);
        std::size_t end = text_.size();
        if (line + 1 < size()) {
            end = Start(line + 1) - 1;  // the line break, or the LF of CR LF
            if (text_[end] == '\n' && end > start && text_[end - 1] == '\r')
                --end;
        }
        return text_.substr(start, end - start);
    }

    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        Iterator() = default;
        Iterator(const CsvLines* lines, std::size_t line) : lines_(lines), line_(line) {}
        std::string_view operator*() const { return (*lines_)[line_]; }
        Iterator& operator++() {
            ++line_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator was = *this;
            ++line_;
            return was;
        }
        bool operator==(const Iterator& other) const { return line_ == other.line_; }

      private:
        const CsvLines* lines_ = nullptr;
        std::size_t line_ = 0;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

  private:
    std::size_t Start(std::size_t line) const { return wide_ ? wideStarts_[line] : starts_[line]; }

    std::string_view text_;
    bool wide_ = false;  // a text of 4 GiB or more needs 8-byte offsets
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint64_t> wideStarts_;
};

}  // namespace quillmere
