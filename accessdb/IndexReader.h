#pragma once
// Index B-tree pages, read: the header (previous, next and tail pages, shared prefix), the
// entry-end bitmap and the entries (key bytes, row pointer, and on node pages the child page).
// IndexReader walks a real index's leaves in key order, as a structural check and for tools;
// reading rows never needs it.
#include <cstdint>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/PageFile.h"
#include "accessdb/TableDef.h"

namespace accessdb {

struct IndexPageEntry {
    std::vector<std::uint8_t> key;  // the encoded key (without row pointer and child)
    RowPointer row;                 // the row the entry indexes (page 3 bytes BE, row 1 byte)
    std::uint32_t child = 0;        // node pages: the child page the entry leads to
};

struct IndexPageView {
    std::uint32_t number = 0;
    bool leaf = false;
    std::uint32_t prevPage = 0;
    std::uint32_t nextPage = 0;
    std::uint32_t tailPage = 0;  // node pages: the last child, kept out of the entries
    std::uint16_t prefixLength = 0;
    std::vector<IndexPageEntry> entries;

    // The children of a node page in order: each entry's child, then the tail page.
    std::vector<std::uint32_t> Children() const;
};

// Parses an index page (type 0x03 node or 0x04 leaf). Throws Damaged.
IndexPageView ParseIndexPage(const Page& page, const Format& format);

// Every leaf entry of a real index in key order: down the first children from the root, then
// along the leaf chain. Throws Damaged for loops and pages of the wrong type.
std::vector<IndexPageEntry> ReadIndexEntries(PageFile& pages, const RealIndex& index);

}  // namespace accessdb
