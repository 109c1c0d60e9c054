#pragma once
// A leaf index page searched and changed as it is stored, without decoding its entries. An
// append into a table whose index takes keys in random order (names, codes) reaches a different
// leaf on nearly every row, far more leaves than a cache of decoded pages can hold, and decoding
// a page of some two hundred entries to insert one was most of the cost of the insert. Only a
// page in exactly the form EncodeIndexPage() writes is taken (entry ends, shared prefix, free
// space and the bytes after the entries as they must be), so the bytes written are the bytes
// encoding the whole page would write. Anything else (a page as Access left it, a new first
// entry, a shorter shared prefix, a page without room) is left to the caller, who decodes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"
#include "accessdb/PageFile.h"

namespace accessdb {

class StoredLeaf {
  public:
    using Key = std::span<const std::uint8_t>;

    // Reads where the entries of `page` end. False when the page is not a leaf of `owner` in
    // the exact form the engine writes; then nothing else may be asked of it.
    bool Read(Bytes page, const Format& format, std::uint32_t owner);
    // The same for a cached page; what it finds stays with the page (as its memo) while the
    // page is unchanged, so the next insert into the same leaf reads nothing again. Checking a
    // page's form is most of the cost of reading it: the ends are found from the bitmap and
    // every byte after the entries must be zero.
    bool Read(const Page& page, const Format& format, std::uint32_t owner);

    std::size_t Count() const { return layout_->ends.size(); }
    std::uint32_t NextPage() const { return layout_->next; }
    // The position of the first entry that does not sort below (key, row) in index order.
    std::size_t LowerBound(Key key, std::uint32_t rowPage, std::uint8_t row) const;
    // Whether entry `i` has exactly these key bytes.
    bool KeyEquals(std::size_t i, Key key) const;
    // Whether (key, row) can be written at `position` in place: not as the first entry, the
    // prefix the first and last entries share stays the same, and the page has room.
    bool CanInsert(std::size_t position, Key key) const;
    // The bytes of the page that Insert(position, key, ...) changes: the free-space count, the
    // bitmap and the entries from the insertion point on.
    std::array<ByteRange, 3> InsertParts(std::size_t position, Key key) const;
    // Writes it there: `page` is the page Read() saw, taken for changing since (Modify()), and
    // CanInsert() said yes. A page read with its memo keeps it, brought up to date; otherwise
    // Read() must be called again before anything else is asked.
    void Insert(Page& page, std::size_t position, Key key, std::uint32_t rowPage, std::uint8_t row);

  private:
    // Where a leaf's entries end and what its header says, as Read() found them.
    struct Layout : PageMemo {
        bool valid = false;  // the page is a leaf of `owner` in the engine's form
        std::uint32_t owner = 0;
        std::size_t prefix = 0;
        std::size_t used = 0;
        std::uint32_t next = 0;
        std::vector<std::uint16_t> ends;  // offset just past each entry, from the first entry
    };

    bool Parse(Bytes page, const Format& format, std::uint32_t owner, Layout& into) const;
    std::size_t Start(std::size_t i) const { return i == 0 ? 0 : layout_->ends[i - 1]; }
    // Compares entry i with (key, row), for a key that starts with the shared prefix: what
    // follows the prefix, then the row pointer.
    int Compare(std::size_t i, Key key, std::uint32_t rowPage, std::uint8_t row) const;
    // The first entry's key, stored whole.
    Key FirstKey() const { return {entries_, static_cast<std::size_t>(layout_->ends[0]) - 4}; }

    const Format* format_ = nullptr;
    const std::uint8_t* entries_ = nullptr;  // where the first entry starts on the page
    Layout* layout_ = nullptr;               // the page's memo, or scratch_
    const Page* memoPage_ = nullptr;         // the page whose memo layout_ is
    Layout scratch_;                         // for pages read without a memo
};

}  // namespace accessdb
