// The checks of one table's structure, shared by `accessdb check` (every table) and the write
// guard (each table a session is about to change).
#include "accessdb/check/TableCheck.h"

#include <algorithm>
#include <map>
#include <set>
#include <span>

#include "accessdb/DataPage.h"
#include "accessdb/TableCursor.h"
#include "accessdb/UsageMap.h"
#include "accessdb/index/IndexPage.h"
#include "accessdb/index/RelatedRecords.h"
#include "accessdb/index/RowKey.h"

namespace accessdb {

namespace {

std::string Describe(const IndexEntry& entry) {
    static const char* const kDigits = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : entry.key) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return "key " + text + " row " + std::to_string(entry.rowPage) + ":" +
           std::to_string(entry.row);
}

// A key whose every column is Null: one flag byte per column (0x00 ascending, 0xFF descending).
bool IsAllNullKey(std::span<const std::uint8_t> key, std::size_t columns) {
    if (key.size() != columns) {
        return false;
    }
    return std::all_of(key.begin(), key.end(),
                       [](std::uint8_t b) { return b == 0x00 || b == 0xFF; });
}

}  // namespace

class StructureCheck::Checker {
  public:
    Checker(PageFile& pages, CheckReport& report, Database* relations)
        : pages_(pages), report_(report), relations_(relations) {}

    void Finding(const std::string& text) { report_.findings.push_back(text); }

    // Records that `owner` uses `page`; a page claimed twice is a finding.
    void Claim(std::uint32_t page, const std::string& owner) {
        if (page >= pages_.PageCount()) {
            Finding(owner + " claims page " + std::to_string(page) +
                    ", beyond the end of the file");
            return;
        }
        auto [it, added] = owners_.emplace(page, owner);
        if (!added && it->second != owner) {
            Finding("page " + std::to_string(page) + " is claimed by " + it->second + " and by " +
                    owner);
        }
        if (freePages_.count(page) != 0) {
            Finding("page " + std::to_string(page) + " is used by " + owner +
                    " but marked free in the global usage map");
        }
    }

    void LoadGlobalMap() {
        try {
            const UsageMap global = UsageMap::Load(pages_, RowPointer{kGlobalUsageMapPage, 0});
            for (const std::uint32_t p : global.Pages()) {
                freePages_.insert(p);
            }
            for (const std::uint32_t p : global.BitmapPages()) {
                if (p != 0)
                    Claim(p, "the global usage map");
            }
        } catch (const Error& e) {
            Finding(std::string("the global usage map cannot be read: ") + e.what());
        }
    }

    UsageMap LoadMap(RowPointer where, const std::string& owner) {
        UsageMap map = UsageMap::Load(pages_, where);
        if (const std::uint32_t beyond = map.FirstPageBeyondEnd(); beyond != 0) {
            Finding(owner + ": its usage map claims page " + std::to_string(beyond) +
                    ", beyond the end of the file");
        }
        for (const std::uint32_t p : map.BitmapPages()) {
            if (p != 0)
                Claim(p, owner + " (usage map bitmap)");
        }
        return map;
    }

    void CheckDataPage(std::uint32_t number, std::uint32_t owner, const std::string& what,
                       bool longValues) {
        const PageRef page = pages_.Read(number);
        const DataPage data(page->View(), pages_.format());
        if (!data.IsData()) {
            Finding(what + ": page " + std::to_string(number) + " is not a data page (type " +
                    std::to_string(page->Type()) + ")");
            return;
        }
        if (longValues ? !data.IsLongValuePage() : data.Owner() != owner) {
            Finding(what + ": data page " + std::to_string(number) + " names another owner");
        }
        const std::uint16_t rows = data.RowCount();
        std::size_t used = 0;
        std::size_t previousStart = page->bytes.size();
        for (std::uint16_t r = 0; r < rows; ++r) {
            const RowSlot slot = data.Slot(r);
            if (slot.end != previousStart || slot.start > slot.end) {
                Finding(what + ": row " + std::to_string(r) + " of page " + std::to_string(number) +
                        " does not end where the row before it starts");
            }
            previousStart = slot.start;
            used += slot.end - slot.start + 2u;
        }
        const std::size_t header = pages_.format().dataFirstRowOffset;
        if (previousStart < header + 2u * rows) {
            Finding(what + ": the rows of page " + std::to_string(number) +
                    " overlap its row offset table");
        }
        const std::size_t expectedFree = pages_.PageSize() - header - used;
        if (data.FreeSpace() != expectedFree) {
            Finding(what + ": page " + std::to_string(number) + " records " +
                    std::to_string(data.FreeSpace()) + " bytes free, its rows leave " +
                    std::to_string(expectedFree));
        }
    }

    void CheckTable(const std::string& name, std::uint32_t tdefPage, bool countKept) {
        const std::string owner = "table '" + name + "'";
        auto def = std::make_shared<TableDef>(TableDef::Load(pages_, tdefPage, name));
        ++report_.tables;
        for (const std::uint32_t p : def->pages)
            Claim(p, owner + " (definition)");
        if (def->columnCount != def->columns.size()) {
            Finding(owner + ": the definition counts " + std::to_string(def->columnCount) +
                    " columns and holds " + std::to_string(def->columns.size()));
        }
        std::size_t variable = 0;
        for (const ColumnDef& column : def->columns) {
            variable += column.IsFixed() || column.type == ColumnType::Boolean ? 0 : 1;
            if (column.number >= def->maxColumns) {
                Finding(owner + ": column '" + column.name + "' has number " +
                        std::to_string(column.number) + ", beyond the definition's " +
                        std::to_string(def->maxColumns) + " columns");
            }
        }
        if (variable > def->varColumns) {
            Finding(owner + ": " + std::to_string(variable) +
                    " variable-length columns, but the definition counts " +
                    std::to_string(def->varColumns));
        }
        const UsageMap owned = LoadMap(def->ownedMap, owner);
        const UsageMap freeSpace = LoadMap(def->freeMap, owner);
        for (const std::uint32_t p : owned.Pages()) {
            Claim(p, owner);
            CheckDataPage(p, tdefPage, owner, false);
        }
        for (const std::uint32_t p : freeSpace.Pages()) {
            if (!owned.Contains(p)) {
                Finding(owner + ": page " + std::to_string(p) +
                        " is in its free-space map but not among its pages");
            }
        }
        for (const ColumnDef& column : def->columns) {
            if (column.longValueOwnedMap) {
                const std::string lvOwner = owner + " column '" + column.name + "' long values";
                const UsageMap lv = LoadMap(*column.longValueOwnedMap, lvOwner);
                for (const std::uint32_t p : lv.Pages()) {
                    Claim(p, lvOwner);
                    CheckDataPage(p, tdefPage, lvOwner, true);
                }
            }
        }
        // The rows, their values (long values followed), and the stored row count.
        std::vector<std::pair<RowPointer, std::vector<Value>>> rows;
        TableCursor cursor(pages_, def);
        while (cursor.Next()) {
            rows.emplace_back(cursor.RowId(), cursor.Row());
        }
        report_.rows += rows.size();
        // Access keeps the count exact for user tables and the catalog, not for every system
        // table of its own (MSysQueries, MSysAccessStorage are often off).
        if (countKept && rows.size() != def->rowCount) {
            Finding(owner + ": the definition says " + std::to_string(def->rowCount) +
                    " rows, the data pages hold " + std::to_string(rows.size()));
        }
        for (const RealIndex& index : def->realIndexes) {
            CheckIndex(*def, index, owner + " index " + std::to_string(index.number), rows);
        }
        if (relations_ != nullptr) {
            CheckRelationships(*def, owner, rows);
        }
    }

    // Every row of the "many" side of an enforced relationship names an existing row.
    void CheckRelationships(const TableDef& table, const std::string& owner,
                            const std::vector<std::pair<RowPointer, std::vector<Value>>>& rows) {
        bool foreign = false;
        for (const LogicalIndex& logical : table.logicalIndexes) {
            foreign = foreign || logical.relatedIndex >= 0;
        }
        if (!foreign) {
            return;
        }
        try {
            for (const auto& [where, values] : rows) {
                if (const auto broken = FindMissingRelatedRecord(*relations_, table, values)) {
                    Finding(owner + ": row " + std::to_string(where.page) + ":" +
                            std::to_string(where.row) + " names no record of table '" +
                            broken->relatedTable + "' (relationship index '" + broken->index +
                            "')");
                }
            }
        } catch (const Error& e) {
            // A related index whose keys this engine cannot make is not checked.
            if (e.Kind() != ErrorKind::NotSupported) {
                Finding(owner + ": its relationships cannot be followed: " + e.what());
            }
        }
    }

    // Walks one subtree; returns its last entry. Records leaves in order.
    IndexEntry Walk(const TableDef& table, std::uint32_t page, const std::string& what, int depth,
                    std::vector<std::uint32_t>& leaves, std::vector<std::uint32_t>& levelNodes) {
        if (depth > 32) {
            throw Error(ErrorKind::Damaged, what + ": the tree is deeper than possible");
        }
        Claim(page, what);
        const IndexPageContent content = DecodeIndexPage(*pages_.Read(page), pages_.format());
        if (content.owner != table.page) {
            Finding(what + ": page " + std::to_string(page) + " names another table");
        }
        for (std::size_t i = 1; i < content.entries.size(); ++i) {
            if (CompareEntries(content.entries[i - 1], content.entries[i]) >= 0) {
                Finding(what + ": the entries of page " + std::to_string(page) +
                        " are out of order");
                break;
            }
        }
        if (content.leaf) {
            leaves.push_back(page);
            if (content.entries.empty()) {
                return IndexEntry{};
            }
            return content.entries.back();
        }
        levelNodes.push_back(page);
        if (content.tail == 0 ? content.entries.empty() : content.entries.empty() && false) {
            Finding(what + ": node page " + std::to_string(page) + " has no children");
        }
        IndexEntry last;
        for (const IndexEntry& entry : content.entries) {
            last = Walk(table, entry.child, what, depth + 1, leaves, levelNodes);
            if (CompareEntries(last, entry) != 0) {
                Finding(what + ": node page " + std::to_string(page) +
                        " records a last entry for child " + std::to_string(entry.child) +
                        " that differs from the child's");
            }
        }
        if (content.tail != 0) {
            if (content.entries.empty()) {
                Finding(what + ": node page " + std::to_string(page) +
                        " has a tail but no entries");
            }
            last = Walk(table, content.tail, what, depth + 1, leaves, levelNodes);
        }
        return last;
    }

    void CheckIndex(const TableDef& table, const RealIndex& index, const std::string& what,
                    const std::vector<std::pair<RowPointer, std::vector<Value>>>& rows) {
        ++report_.indexes;
        UsageMap map = LoadMap(index.ownedMap, what);
        std::vector<std::uint32_t> leaves;
        std::vector<std::uint32_t> nodes;
        Walk(table, index.rootPage, what, 0, leaves, nodes);
        for (const std::uint32_t p : leaves) {
            if (!map.Contains(p))
                Finding(what + ": page " + std::to_string(p) + " is not in its usage map");
        }
        for (const std::uint32_t p : nodes) {
            if (!map.Contains(p))
                Finding(what + ": page " + std::to_string(p) + " is not in its usage map");
        }
        // The leaf chain: each leaf links to the next in tree order.
        std::vector<IndexEntry> entries;
        for (std::size_t i = 0; i < leaves.size(); ++i) {
            const IndexPageContent leaf = DecodeIndexPage(*pages_.Read(leaves[i]), pages_.format());
            const std::uint32_t expectedPrev = i == 0 ? 0 : leaves[i - 1];
            const std::uint32_t expectedNext = i + 1 == leaves.size() ? 0 : leaves[i + 1];
            if (leaf.prev != expectedPrev || leaf.next != expectedNext) {
                Finding(what + ": leaf page " + std::to_string(leaves[i]) +
                        " is linked out of order");
            }
            entries.insert(entries.end(), leaf.entries.begin(), leaf.entries.end());
        }
        for (std::size_t i = 1; i < entries.size(); ++i) {
            if (CompareEntries(entries[i - 1], entries[i]) >= 0) {
                Finding(what + ": its entries are out of order across pages");
                break;
            }
        }
        // Against the rows.
        std::vector<IndexEntry> expected;
        try {
            for (const auto& [where, values] : rows) {
                IndexEntry e;
                e.key = RowIndexKey(table, index, values, pages_.format());
                e.rowPage = where.page;
                e.row = where.row;
                if (index.IgnoreNulls() && IsAllNullKey(e.key, index.columns.size())) {
                    continue;  // such indexes leave rows without any key value out
                }
                expected.push_back(std::move(e));
            }
        } catch (const Error&) {
            return;  // a key type this engine does not encode: structure checked only
        }
        ++report_.indexesCompared;
        std::sort(expected.begin(), expected.end(), [](const IndexEntry& a, const IndexEntry& b) {
            return CompareEntries(a, b) < 0;
        });
        if (expected.size() != entries.size()) {
            Finding(what + ": it holds " + std::to_string(entries.size()) + " entries for " +
                    std::to_string(expected.size()) + " rows");
            return;
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (CompareEntries(entries[i], expected[i]) != 0) {
                Finding(what + ": entry " + std::to_string(i) + " (" + Describe(entries[i]) +
                        ") does not match the rows (expected " + Describe(expected[i]) + ")");
                return;
            }
        }
        if (index.Unique()) {
            for (std::size_t i = 1; i < entries.size(); ++i) {
                if (entries[i].key == entries[i - 1].key &&
                    !IsAllNullKey(entries[i].key, index.columns.size())) {
                    Finding(what + ": a unique index holds the same key twice");
                    break;
                }
            }
        }
    }

    PageFile& pages_;
    CheckReport& report_;
    Database* relations_;
    std::map<std::uint32_t, std::string> owners_;
    std::set<std::uint32_t> freePages_;
};

StructureCheck::StructureCheck(PageFile& pages, CheckReport& report, Database* relations)
    : checker_(std::make_unique<Checker>(pages, report, relations)) {}

StructureCheck::~StructureCheck() = default;

void StructureCheck::LoadGlobalMap() {
    checker_->LoadGlobalMap();
}

void StructureCheck::CheckTable(const std::string& name, std::uint32_t tdefPage, bool countKept) {
    try {
        checker_->CheckTable(name, tdefPage, countKept);
    } catch (const Error& e) {
        checker_->Finding("table '" + name + "': " + e.what());
    }
}

}  // namespace accessdb
