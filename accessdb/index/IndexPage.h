#pragma once
// One index page decoded into whole entries, and written back. Leaf entries are a key and the
// row it points to; node entries are the last leaf entry of a child's subtree and the child's
// page. Pages are written as Access writes them: the key bytes that the first and last entry
// share are stored once (prefix compression), the entry-end bitmap and free space exact.
#include <cstdint>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/Format.h"
#include "accessdb/PageFile.h"
#include "accessdb/index/EntryKey.h"
#include "accessdb/index/IndexKey.h"

namespace accessdb {

struct IndexEntry {
    EntryKey key;
    std::uint32_t rowPage = 0;  // the row (leaf) or the subtree's last row (node)
    std::uint8_t row = 0;
    std::uint32_t child = 0;  // node entries only

    std::size_t StoredSize(bool leaf) const { return key.size() + (leaf ? 4 : 8); }
};

// Index order: key bytes (unsigned, a prefix first), then the row pointer.
int CompareEntries(const IndexEntry& a, const IndexEntry& b);

struct IndexPageContent {
    bool leaf = true;
    std::uint32_t owner = 0;  // TDEF page of the table
    std::uint32_t prev = 0;
    std::uint32_t next = 0;
    std::uint32_t tail = 0;  // node pages: the last child when it has no stored entry
    std::vector<IndexEntry> entries;
    // Header bytes of unknown meaning (J4+ offsets 8..11 and 26), kept as read.
    std::uint32_t unknown8 = 0;
    std::uint8_t unknown26 = 0;
    // Set when the page's bytes are exactly EncodeIndexPage() of this content (the page was
    // last written from it), so that one new entry can be written in place. False for a page
    // as read from the file: Access leaves bytes after the entries that we do not rewrite.
    bool encoded = false;

    std::size_t EntryBytes() const;
    // The key bytes every entry shares with the first (those of the first and last entry).
    std::size_t PrefixLength() const;
    // Bytes the entries take on the page: the shared prefix is stored only in the first.
    std::size_t StoredBytes() const;
    // Node pages: the children in order, each entry's child and then the tail page.
    std::vector<std::uint32_t> Children() const;
};

// Bytes of entries one page can hold.
std::size_t IndexPageCapacity(const Format& format);

// Decodes a page of type 3 or 4 (node or leaf). Throws Damaged, naming the page, for a page of
// another type or an entry that lies outside the page or is too short for its pointers.
IndexPageContent DecodeIndexPage(const Page& page, const Format& format);
// Writes `content` over the whole page (bytes past the last entry are zeroed). The entries must
// fit (StoredBytes() <= IndexPageCapacity()).
void EncodeIndexPage(const IndexPageContent& content, MutableBytes page, const Format& format);

// Writes entry `index` of `content`, just inserted there, onto `page`, which holds the encoding
// of `content` without it, by moving the entries after it along: the same bytes as
// EncodeIndexPage() of the new content, at the cost of one entry rather than the whole page.
// Possible when content.encoded is set, the entry is neither the first nor changes the prefix
// the first and last entries share (`prefix`, the same before and after), and the page still
// has room; returns false (the page untouched) otherwise.
bool InsertEncodedEntry(const IndexPageContent& content, std::size_t index, std::size_t prefix,
                        MutableBytes page, const Format& format);

}  // namespace accessdb
