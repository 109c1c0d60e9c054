#pragma once
// Walks a real index's leaves in key order, as a structural check and for tools; reading rows
// never needs it. Pages are decoded by DecodeIndexPage, shared with the writer.
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/TableDef.h"
#include "accessdb/index/IndexPage.h"

namespace accessdb {

// Every leaf entry of a real index in key order: down the first children from the root, then
// along the leaf chain. Throws Damaged for loops and pages of the wrong type.
std::vector<IndexEntry> ReadIndexEntries(PageFile& pages, const RealIndex& index);

}  // namespace accessdb
