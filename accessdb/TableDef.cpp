// TDEF parsing: page chain, header block, columns, indexes and long-value maps.
#include "accessdb/TableDef.h"

#include <algorithm>
#include <unordered_set>

#include "accessdb/Text.h"

namespace accessdb {

namespace {
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

int CompareIgnoreCase(const std::string& a, const std::string& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(Lower(a[i]));
        auto y = static_cast<unsigned char>(Lower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

std::uint16_t ColumnDef::Size(bool unicode) const {
    if (type == ColumnType::Text && unicode)
        return static_cast<std::uint16_t>(length / 2);
    return length;
}

const ColumnDef* TableDef::FindColumn(const std::string& columnName) const {
    for (const auto& c : columns)
        if (EqualsIgnoreCase(c.name, columnName))
            return &c;
    return nullptr;
}

std::vector<const ColumnDef*> TableDef::IndexColumns(const RealIndex& index) const {
    std::vector<const ColumnDef*> out;
    for (const auto& ic : index.columns) {
        for (const auto& c : columns)
            if (c.number == ic.columnNumber)
                out.push_back(&c);
    }
    return out;
}

namespace {

class Reader {
  public:
    Reader(Bytes b, const Format& f, std::uint16_t codePage, std::string table)
        : b_(b), f_(f), codePage_(codePage), table_(std::move(table)) {}
    std::size_t pos = 0;
    std::string Name() {
        std::size_t len = f_.nameLengthSize == 2 ? ReadU16(b_, pos, What("a name length"))
                                                 : ReadU8(b_, pos, What("a name length"));
        pos += f_.nameLengthSize;
        Bytes bytes = Slice(b_, pos, len, What("a name"));
        pos += len;
        return f_.Unicode() ? DecodeText(bytes) : DecodeCodePage(bytes, codePage_);
    }
    const char* What(const char* item) {
        what_ = std::string(item) + " in the definition of table '" + table_ + "'";
        return what_.c_str();
    }

  private:
    Bytes b_;
    const Format& f_;
    std::uint16_t codePage_;
    std::string table_;
    std::string what_;
};

}  // namespace

TableDef TableDef::Load(PageFile& pages, std::uint32_t page, const std::string& name) {
    const Format& f = pages.format();
    TableDef t;
    t.name = name;
    t.page = page;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t next = page;
    while (next != 0) {
        if (!seen.insert(next).second)
            ThrowDamaged("the definition of table '" + name + "' has a page chain that loops");
        PageRef p = pages.Read(next);
        if (p->Type() != kPageTableDef)
            ThrowDamaged("the definition of table '" + name + "' points to page " +
                         std::to_string(next) + ", which is not a table definition page");
        Bytes bytes = p->View();
        if (t.raw.empty())
            t.raw.assign(bytes.begin(), bytes.end());
        else
            t.raw.insert(t.raw.end(), bytes.begin() + 8, bytes.end());
        t.pages.push_back(next);
        next = LoadU32(bytes.data() + 4);
    }
    Bytes b = t.raw;
    Reader r(b, f, pages.Header().codePage, name);
    CheckRange(b.size(), 0, f.tdefVariablePart, r.What("the header block"));
    t.rowCount = LoadU32(b.data() + f.tdefRowCount);
    t.autoNumber = LoadU32(b.data() + f.tdefAutoNumber);
    if (f.tdefComplexAutoNumber)
        t.complexAutoNumber = LoadU32(b.data() + f.tdefComplexAutoNumber);
    t.tableType = b[f.tdefTableType];
    t.maxColumns = LoadU16(b.data() + f.tdefMaxColumns);
    t.varColumns = LoadU16(b.data() + f.tdefVarColumns);
    t.columnCount = LoadU16(b.data() + f.tdefColumnCount);
    std::uint32_t logicalCount = LoadU32(b.data() + f.tdefLogicalIndexCount);
    std::uint32_t realCount = LoadU32(b.data() + f.tdefRealIndexCount);
    t.ownedMap = LoadRowPointer(b.data() + f.tdefOwnedMap);
    t.freeMap = LoadRowPointer(b.data() + f.tdefFreeMap);
    // Counts far beyond what fits in the buffer are damage, not something to allocate for.
    if (realCount > b.size() / f.indexCountBlockSize ||
        logicalCount > b.size() / f.logicalIndexBlockSize ||
        t.columnCount > b.size() / f.columnBlockSize)
        ThrowDamaged("the definition of table '" + name +
                     "' declares more columns or indexes than it holds");

    r.pos = f.tdefVariablePart;
    std::vector<std::uint32_t> uniqueCounts;
    std::vector<std::vector<std::uint8_t>> countBlocks;
    for (std::uint32_t i = 0; i < realCount; ++i) {
        CheckRange(b.size(), r.pos, f.indexCountBlockSize, r.What("an index row count"));
        uniqueCounts.push_back(LoadU32(b.data() + r.pos + 4));
        countBlocks.emplace_back(
            b.begin() + static_cast<std::ptrdiff_t>(r.pos),
            b.begin() + static_cast<std::ptrdiff_t>(r.pos + f.indexCountBlockSize));
        r.pos += f.indexCountBlockSize;
    }
    for (std::uint16_t i = 0; i < t.columnCount; ++i) {
        Bytes block = Slice(b, r.pos, f.columnBlockSize, r.What("a column block"));
        ColumnDef c;
        std::uint8_t code = block[f.colType];
        c.type = static_cast<ColumnType>(code);
        c.number = LoadU16(block.data() + f.colNumber);
        c.varIndex = LoadU16(block.data() + f.colVarIndex);
        c.flags = block[f.colFlags];
        c.extFlags = f.colExtFlags ? block[f.colExtFlags] : 0;
        c.fixedOffset = LoadU16(block.data() + f.colFixedOffset);
        c.length = LoadU16(block.data() + f.colLength);
        if (c.type == ColumnType::Numeric) {
            c.precision = block[f.colPrecision];
            c.scale = block[f.colScale];
        } else if (c.type == ColumnType::Complex && !f.jet3) {
            c.complexId = LoadU32(block.data() + 11);
        } else if (f.jet3) {
            c.sortOrder.lcid = LoadU16(block.data() + f.colSortOrder);
        } else {
            c.sortOrder.lcid = LoadU16(block.data() + f.colSortOrder);
            c.sortOrder.version = block[f.colSortOrder + 3];
        }
        c.blockIndex = i;
        c.rawBlock.assign(block.begin(), block.end());
        t.columns.push_back(c);
        r.pos += f.columnBlockSize;
    }
    for (auto& c : t.columns)
        c.name = r.Name();

    for (std::uint32_t i = 0; i < realCount; ++i) {
        Bytes block = Slice(b, r.pos, f.realIndexBlockSize, r.What("an index block"));
        RealIndex ri;
        ri.number = i;
        ri.blockOffset = r.pos;
        for (int k = 0; k < 10; ++k) {
            const std::uint8_t* e = block.data() + f.realIndexColumns + 3 * k;
            std::uint16_t col = LoadU16(e);
            if (col == 0xFFFF)
                continue;
            ri.columns.push_back(IndexColumn{col, (e[2] & 0x01) != 0});
        }
        ri.ownedMap = LoadRowPointer(block.data() + f.realIndexMap);
        ri.rootPage = LoadU32(block.data() + f.realIndexRoot);
        ri.flags = block[f.realIndexFlags];
        ri.uniqueEntryCount = uniqueCounts[i];
        ri.rawBlock.assign(block.begin(), block.end());
        ri.rawCountBlock = countBlocks[i];
        t.realIndexes.push_back(ri);
        r.pos += f.realIndexBlockSize;
    }
    for (std::uint32_t i = 0; i < logicalCount; ++i) {
        Bytes block = Slice(b, r.pos, f.logicalIndexBlockSize, r.What("a logical index block"));
        LogicalIndex li;
        li.number = LoadU32(block.data() + f.logicalIndexNumber);
        li.realIndex = LoadU32(block.data() + f.logicalIndexReal);
        li.relatedSide = block[f.logicalIndexRelatedSide];
        li.relatedIndex =
            static_cast<std::int32_t>(LoadU32(block.data() + f.logicalIndexRelatedIndex));
        li.relatedTable = LoadU32(block.data() + f.logicalIndexRelatedTable);
        li.cascadeUpdates = (block[f.logicalIndexCascadeUpdates] & 0x01) != 0;
        li.cascadeDeletes = (block[f.logicalIndexCascadeDeletes] & 0x01) != 0;
        li.cascadeNull = (block[f.logicalIndexCascadeDeletes] & 0x02) != 0;
        li.type = block[f.logicalIndexType];
        li.rawBlock.assign(block.begin(), block.end());
        if (li.realIndex >= realCount)
            ThrowDamaged("index " + std::to_string(i) + " of table '" + name +
                         "' refers to a missing index");
        t.logicalIndexes.push_back(li);
        r.pos += f.logicalIndexBlockSize;
    }
    for (auto& li : t.logicalIndexes)
        li.name = r.Name();

    // Long-value usage maps: 10-byte entries until the FF FF terminator (Jet 3 too).
    {
        while (r.pos + 2 <= b.size()) {
            std::uint16_t col = LoadU16(b.data() + r.pos);
            if (col == 0xFFFF || r.pos + 10 > b.size())
                break;
            RowPointer owned = LoadRowPointer(b.data() + r.pos + 2);
            RowPointer freeMap = LoadRowPointer(b.data() + r.pos + 6);
            for (auto& c : t.columns) {
                if (c.number == col && IsLongValueType(c.type)) {
                    c.longValueOwnedMap = owned;
                    c.longValueFreeMap = freeMap;
                }
            }
            r.pos += 10;
        }
    }
    std::stable_sort(t.columns.begin(), t.columns.end(),
                     [](const ColumnDef& a, const ColumnDef& b) { return a.number < b.number; });
    return t;
}

}  // namespace accessdb
