#pragma once
// A leaf index page searched and changed as it is stored, without decoding its entries. An
// append into a table whose index takes keys in random order (names, codes) reaches a different
// leaf on nearly every row, far more leaves than a cache of decoded pages can hold, and decoding
// a page of some two hundred entries to insert one was most of the cost of the insert. Only a
// page in exactly the form EncodeIndexPage() writes is taken (entry ends, shared prefix, free
// space and the bytes after the entries as they must be), so the bytes written are the bytes
// encoding the whole page would write. Anything else (a page as Access left it, a new first
// entry, a shorter shared prefix, a page without room) is left to the caller, who decodes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"

namespace accessdb {

class StoredLeaf {
  public:
    using Key = std::span<const std::uint8_t>;

    // Reads where the entries of `page` end. False when the page is not a leaf of `owner` in
    // the exact form the engine writes; then nothing else may be asked of it.
    bool Read(Bytes page, const Format& format, std::uint32_t owner);

    std::size_t Count() const { return count_; }
    std::uint32_t NextPage() const { return next_; }
    // The position of the first entry that does not sort below (key, row) in index order.
    std::size_t LowerBound(Key key, std::uint32_t rowPage, std::uint8_t row) const;
    // Whether entry `i` has exactly these key bytes.
    bool KeyEquals(std::size_t i, Key key) const;
    // Whether (key, row) can be written at `position` in place: not as the first entry, the
    // prefix the first and last entries share stays the same, and the page has room.
    bool CanInsert(std::size_t position, Key key) const;
    // Writes it there: `page` is the page Read() saw (taken for changing since), CanInsert()
    // said yes. Afterwards Read() must be called again before anything else is asked.
    void Insert(MutableBytes page, std::size_t position, Key key, std::uint32_t rowPage,
                std::uint8_t row);

  private:
    std::size_t Start(std::size_t i) const { return i == 0 ? 0 : ends_[i - 1]; }
    // Compares entry i with (key, row), for a key that starts with the shared prefix: what
    // follows the prefix, then the row pointer.
    int Compare(std::size_t i, Key key, std::uint32_t rowPage, std::uint8_t row) const;
    // The first entry's key, stored whole.
    Key FirstKey() const { return {entries_, static_cast<std::size_t>(ends_[0]) - 4}; }

    const Format* format_ = nullptr;
    const std::uint8_t* entries_ = nullptr;  // where the first entry starts on the page
    std::size_t prefix_ = 0;
    std::size_t used_ = 0;
    std::uint32_t next_ = 0;
    // Entries are at least 4 bytes (their pointers) in at most 3,616 bytes of a page.
    static constexpr std::size_t kMaxEntries = 1024;
    std::size_t count_ = 0;
    std::uint16_t ends_[kMaxEntries];  // offset just past each entry, from entries_
};

}  // namespace accessdb
