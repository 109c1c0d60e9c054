// Writing table definitions back: serialising the fields (keeping the bytes the engine does
// not interpret), spreading the buffer over the page chain, and updating the per-row counters.
#include <algorithm>
#include <numeric>

#include "accessdb/TableDef.h"
#include "accessdb/TableDefJet3.h"
#include "accessdb/Text.h"

namespace accessdb {

namespace {

constexpr std::uint32_t kUnknownConstant = 1625;    // found in headers, columns, logical indexes
constexpr std::uint32_t kRealIndexConstant = 1923;  // first field of real index blocks
constexpr std::size_t kTdefPageHeader = 8;
constexpr std::uint8_t kNoCascade = 0x04;  // what the engine writes for plain indexes

void PutName(std::vector<std::uint8_t>& out, const std::string& name) {
    std::vector<std::uint8_t> bytes = EncodeText(name, false);
    AppendU16(out, static_cast<std::uint16_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> Block(const std::vector<std::uint8_t>& raw, std::size_t size) {
    std::vector<std::uint8_t> b(size, 0);
    std::copy_n(raw.begin(), std::min(raw.size(), size), b.begin());
    return b;
}

void SetBit0(std::uint8_t& byte, bool on) {
    byte = static_cast<std::uint8_t>((byte & ~1u) | (on ? 1u : 0u));
}

// Where logical offset `offset` of a definition lives: (index into the chain, offset in page).
std::pair<std::size_t, std::size_t> Locate(std::size_t offset, std::size_t pageSize) {
    if (offset < pageSize)
        return {0, offset};
    std::size_t rest = offset - pageSize;
    return {1 + rest / (pageSize - kTdefPageHeader),
            kTdefPageHeader + rest % (pageSize - kTdefPageHeader)};
}

}  // namespace

std::vector<std::uint8_t> NewColumnBlock(const Format& format, SortOrder sortOrder) {
    if (format.jet3)
        return NewJet3ColumnBlock(sortOrder);
    std::vector<std::uint8_t> block(format.columnBlockSize, 0);
    StoreU32(block.data() + 1, kUnknownConstant);
    StoreU16(block.data() + format.colSortOrder, sortOrder.lcid);
    block[format.colSortOrder + 3] = sortOrder.version;
    return block;
}

std::vector<std::uint8_t> NewLogicalIndexBlock(const Format& format) {
    std::vector<std::uint8_t> block(format.logicalIndexBlockSize, 0);
    if (!format.jet3)
        StoreU32(block.data(), kUnknownConstant);
    block[format.logicalIndexCascadeUpdates] = kNoCascade;
    block[format.logicalIndexCascadeDeletes] = kNoCascade;
    return block;
}

std::size_t DefinitionPageCount(std::size_t size, std::size_t pageSize) {
    const std::size_t perContinuation = pageSize - kTdefPageHeader;
    return size <= pageSize ? 1 : 1 + (size - pageSize + perContinuation - 1) / perContinuation;
}

void FillDefinitionPage(const std::vector<std::uint8_t>& definition, std::size_t index,
                        std::uint32_t next, MutableBytes page, const Format& format) {
    const std::size_t pageSize = page.size();
    const std::size_t perContinuation = pageSize - kTdefPageHeader;
    std::size_t from = 0;
    std::size_t start = 0;
    if (index > 0) {
        from = pageSize + (index - 1) * perContinuation;
        start = kTdefPageHeader;
    }
    const std::size_t n =
        from < definition.size() ? std::min(pageSize - start, definition.size() - from) : 0;
    std::fill(page.begin(), page.end(), 0);
    std::copy_n(definition.begin() + static_cast<std::ptrdiff_t>(from), n,
                page.begin() + static_cast<std::ptrdiff_t>(start));
    page[0] = kPageTableDef;
    page[1] = 0x01;
    const std::size_t used = start + n;
    if (format.jet3) {
        StoreJet3DefinitionMark(page.data() + 2);
        StoreU32(page.data() + 4, next);
        return;
    }
    StoreU16(page.data() + 2, static_cast<std::uint16_t>(pageSize > used + kTdefPageHeader
                                                             ? pageSize - used - kTdefPageHeader
                                                             : 0));
    StoreU32(page.data() + 4, next);
}

void FinishDefinition(std::vector<std::uint8_t>& out, const std::vector<const ColumnDef*>& order) {
    for (const ColumnDef* c : order) {
        if (!c->longValueOwnedMap)
            continue;
        std::uint8_t entry[10];
        StoreU16(entry, c->number);
        StoreRowPointer(entry + 2, *c->longValueOwnedMap);
        StoreRowPointer(entry + 6, c->longValueFreeMap.value_or(RowPointer{}));
        out.insert(out.end(), entry, entry + 10);
    }
    out.push_back(0xFF);
    out.push_back(0xFF);
    StoreU32(out.data() + 8, static_cast<std::uint32_t>(out.size()));
}

std::vector<std::uint8_t> TableDef::Serialize(const Format& f, std::uint16_t codePage) const {
    if (f.jet3)
        return SerializeJet3(*this, f, codePage);
    std::vector<std::uint8_t> out(f.tdefVariablePart, 0);
    if (raw.size() >= f.tdefVariablePart) {
        std::copy_n(raw.begin(), f.tdefVariablePart, out.begin());
    } else {
        out[0] = kPageTableDef;
        out[1] = 0x01;
        StoreU32(out.data() + 12, kUnknownConstant);
        out[24] = 0x01;  // "autonumbers work" flag Access expects
    }
    StoreU32(out.data() + f.tdefRowCount, rowCount);
    StoreU32(out.data() + f.tdefAutoNumber, autoNumber);
    if (f.tdefComplexAutoNumber)
        StoreU32(out.data() + f.tdefComplexAutoNumber, complexAutoNumber);
    out[f.tdefTableType] = tableType;
    StoreU16(out.data() + f.tdefMaxColumns, maxColumns);
    StoreU16(out.data() + f.tdefVarColumns, varColumns);
    StoreU16(out.data() + f.tdefColumnCount, static_cast<std::uint16_t>(columns.size()));
    StoreU32(out.data() + f.tdefLogicalIndexCount,
             static_cast<std::uint32_t>(logicalIndexes.size()));
    StoreU32(out.data() + f.tdefRealIndexCount, static_cast<std::uint32_t>(realIndexes.size()));
    StoreRowPointer(out.data() + f.tdefOwnedMap, ownedMap);
    StoreRowPointer(out.data() + f.tdefFreeMap, freeMap);

    for (const auto& ri : realIndexes) {
        auto block = Block(ri.rawCountBlock, f.indexCountBlockSize);
        StoreU32(block.data() + 4, ri.uniqueEntryCount);
        out.insert(out.end(), block.begin(), block.end());
    }

    // Column blocks in their stored order (Access keeps them in name order); new columns last.
    std::vector<const ColumnDef*> order;
    for (const auto& c : columns)
        order.push_back(&c);
    std::stable_sort(order.begin(), order.end(), [](const ColumnDef* a, const ColumnDef* b) {
        return a->blockIndex < b->blockIndex;
    });
    for (const ColumnDef* c : order) {
        auto block = Block(c->rawBlock, f.columnBlockSize);
        if (c->rawBlock.empty()) {
            StoreU32(block.data() + 1, kUnknownConstant);
            StoreU16(block.data() + 9, c->number);
        }
        block[f.colType] = static_cast<std::uint8_t>(c->type);
        StoreU16(block.data() + f.colNumber, c->number);
        StoreU16(block.data() + f.colVarIndex, c->varIndex);
        if (c->type == ColumnType::Numeric) {
            block[f.colPrecision] = c->precision;
            block[f.colScale] = c->scale;
        } else if (c->type == ColumnType::Complex) {
            StoreU32(block.data() + 11, c->complexId);
        } else if (c->type == ColumnType::Text || c->type == ColumnType::Memo) {
            StoreU16(block.data() + f.colSortOrder, c->sortOrder.lcid);
            block[f.colSortOrder + 2] = 0;
            block[f.colSortOrder + 3] = c->sortOrder.version;
        }
        block[f.colFlags] = c->flags;
        block[f.colExtFlags] = c->extFlags;
        StoreU16(block.data() + f.colFixedOffset, c->fixedOffset);
        StoreU16(block.data() + f.colLength, c->length);
        out.insert(out.end(), block.begin(), block.end());
    }
    for (const ColumnDef* c : order)
        PutName(out, c->name);

    for (const auto& ri : realIndexes) {
        auto block = Block(ri.rawBlock, f.realIndexBlockSize);
        if (ri.rawBlock.empty())
            StoreU32(block.data(), kRealIndexConstant);
        for (std::size_t k = 0; k < 10; ++k) {
            std::uint8_t* e = block.data() + f.realIndexColumns + 3 * k;
            if (k < ri.columns.size()) {
                StoreU16(e, ri.columns[k].columnNumber);
                SetBit0(e[2], ri.columns[k].ascending);
            } else {
                StoreU16(e, 0xFFFF);  // the flag byte of unused slots keeps what Access left there
            }
        }
        StoreRowPointer(block.data() + f.realIndexMap, ri.ownedMap);
        StoreU32(block.data() + f.realIndexRoot, ri.rootPage);
        block[f.realIndexFlags] = ri.flags;
        out.insert(out.end(), block.begin(), block.end());
    }
    for (const auto& li : logicalIndexes) {
        auto block = Block(li.rawBlock, f.logicalIndexBlockSize);
        if (li.rawBlock.empty())
            StoreU32(block.data(), kUnknownConstant);
        StoreU32(block.data() + f.logicalIndexNumber, li.number);
        StoreU32(block.data() + f.logicalIndexReal, li.realIndex);
        block[f.logicalIndexRelatedSide] = li.relatedSide;
        StoreU32(block.data() + f.logicalIndexRelatedIndex,
                 static_cast<std::uint32_t>(li.relatedIndex));
        StoreU32(block.data() + f.logicalIndexRelatedTable, li.relatedTable);
        SetBit0(block[f.logicalIndexCascadeUpdates], li.cascadeUpdates);
        std::uint8_t& deletes = block[f.logicalIndexCascadeDeletes];
        SetBit0(deletes, li.cascadeDeletes);
        deletes = static_cast<std::uint8_t>((deletes & ~2u) | (li.cascadeNull ? 2u : 0u));
        block[f.logicalIndexType] = li.type;
        out.insert(out.end(), block.begin(), block.end());
    }
    for (const auto& li : logicalIndexes)
        PutName(out, li.name);

    FinishDefinition(out, order);
    return out;
}

void TableDef::Store(PageFile& file) {
    const Format& f = file.format();
    std::vector<std::uint8_t> buffer = Serialize(f, file.Header().codePage);
    const std::size_t needed = DefinitionPageCount(buffer.size(), f.pageSize);
    std::vector<std::uint32_t> chain(
        pages.begin(), pages.begin() + static_cast<std::ptrdiff_t>(std::min(needed, pages.size())));
    while (chain.size() < needed)
        chain.push_back(file.Append()->number);
    for (std::size_t i = 0; i < chain.size(); ++i)
        FillDefinitionPage(buffer, i, i + 1 < chain.size() ? chain[i + 1] : 0,
                           file.Modify(chain[i])->Mutable(), f);
    pages = chain;
    page = chain.front();
    raw = std::move(buffer);
}

void TableDef::StoreCounters(PageFile& file) {
    const Format& f = file.format();
    auto put = [&](std::size_t offset, std::uint32_t value) {
        auto [index, at] = Locate(offset, f.pageSize);
        if (index >= pages.size() || at + 4 > f.pageSize)
            ThrowDamaged("the definition of table '" + name + "' is shorter than its counters");
        StoreU32(file.Modify(pages[index])->bytes.data() + at, value);
        if (offset + 4 <= raw.size())
            StoreU32(raw.data() + offset, value);
    };
    put(f.tdefRowCount, rowCount);
    put(f.tdefAutoNumber, autoNumber);
    if (f.tdefComplexAutoNumber)
        put(f.tdefComplexAutoNumber, complexAutoNumber);
    for (std::size_t i = 0; i < realIndexes.size(); ++i)
        put(f.tdefVariablePart + f.indexCountBlockSize * i + 4, realIndexes[i].uniqueEntryCount);
}

}  // namespace accessdb
