// Writing Jet 3 table definitions: the layout Access 97 itself writes (see TableDefJet3.h),
// field by field beside TableDef::Load, which reads the same offsets from Format.
#include "accessdb/TableDefJet3.h"

#include <algorithm>
#include <cstdio>

#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb {

namespace {

constexpr std::uint8_t kNoCascade = 0x04;  // what Access 97 writes for plain indexes
constexpr std::size_t kColumnNumberAgain = 5;
constexpr std::size_t kColumnConstant = 7;  // 1 in every column block Access 97 wrote
constexpr std::size_t kColumnCodePage = 11;

std::vector<std::uint8_t> Block(const std::vector<std::uint8_t>& raw, std::size_t size) {
    std::vector<std::uint8_t> b(size, 0);
    std::copy_n(raw.begin(), std::min(raw.size(), size), b.begin());
    return b;
}

void SetBit0(std::uint8_t& byte, bool on) {
    byte = static_cast<std::uint8_t>((byte & ~1u) | (on ? 1u : 0u));
}

void PutName(std::vector<std::uint8_t>& out, const std::string& name, std::uint16_t codePage,
             const char* what) {
    const std::vector<std::uint8_t> bytes = EncodeJet3Name(name, codePage, what);
    out.push_back(static_cast<std::uint8_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

std::vector<std::uint8_t> EncodeJet3Name(const std::string& name, std::uint16_t codePage,
                                         const char* what) {
    std::vector<std::uint8_t> bytes;
    std::string unmappable;
    if (!EncodeCodePage(name, codePage, bytes, unmappable)) {
        const std::u16string units = Utf8ToUtf16(unmappable);
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X",
                      static_cast<unsigned>(units.empty() ? 0 : units[0]));
        throw Error(ErrorKind::Constraint,
                    std::string("The ") + what + " name '" + name +
                        "' cannot be stored: its character '" + unmappable + "' (" + code +
                        ") is not in code page " + std::to_string(codePage == 0 ? 1252 : codePage) +
                        ", in which this Access 97 database keeps its names.",
                    3421);
    }
    if (bytes.size() > 0xFF) {
        throw Error(ErrorKind::Constraint,
                    std::string("The ") + what + " name '" + name + "' is too long.", 3125);
    }
    return bytes;
}

std::vector<std::uint8_t> NewJet3ColumnBlock(SortOrder sortOrder, std::uint16_t codePage) {
    std::vector<std::uint8_t> block(18, 0);
    StoreU16(block.data() + kColumnConstant, 1);
    StoreU16(block.data() + 9, sortOrder.lcid);
    StoreU16(block.data() + kColumnCodePage, codePage == 0 ? 1252 : codePage);
    return block;
}

void StoreJet3DefinitionMark(std::uint8_t* at) {
    at[0] = 'V';
    at[1] = 'C';
}

std::vector<std::uint8_t> SerializeJet3(const TableDef& t, const Format& f,
                                        std::uint16_t codePage) {
    std::vector<std::uint8_t> out(f.tdefVariablePart, 0);
    if (t.raw.size() >= f.tdefVariablePart) {
        std::copy_n(t.raw.begin(), f.tdefVariablePart, out.begin());
    } else {
        out[0] = kPageTableDef;
        out[1] = 0x01;
        StoreJet3DefinitionMark(out.data() + 2);
    }
    StoreU32(out.data() + f.tdefRowCount, t.rowCount);
    StoreU32(out.data() + f.tdefAutoNumber, t.autoNumber);
    out[f.tdefTableType] = t.tableType;
    StoreU16(out.data() + f.tdefMaxColumns, t.maxColumns);
    StoreU16(out.data() + f.tdefVarColumns, t.varColumns);
    StoreU16(out.data() + f.tdefColumnCount, static_cast<std::uint16_t>(t.columns.size()));
    StoreU32(out.data() + f.tdefLogicalIndexCount,
             static_cast<std::uint32_t>(t.logicalIndexes.size()));
    StoreU32(out.data() + f.tdefRealIndexCount, static_cast<std::uint32_t>(t.realIndexes.size()));
    StoreRowPointer(out.data() + f.tdefOwnedMap, t.ownedMap);
    StoreRowPointer(out.data() + f.tdefFreeMap, t.freeMap);

    for (const auto& ri : t.realIndexes) {
        auto block = Block(ri.rawCountBlock, f.indexCountBlockSize);
        StoreU32(block.data() + 4, ri.uniqueEntryCount);
        out.insert(out.end(), block.begin(), block.end());
    }

    std::vector<const ColumnDef*> order;
    for (const auto& c : t.columns)
        order.push_back(&c);
    std::stable_sort(order.begin(), order.end(), [](const ColumnDef* a, const ColumnDef* b) {
        return a->blockIndex < b->blockIndex;
    });
    for (const ColumnDef* c : order) {
        auto block = c->rawBlock.empty() ? NewJet3ColumnBlock(c->sortOrder, codePage)
                                         : Block(c->rawBlock, f.columnBlockSize);
        if (c->rawBlock.empty())
            StoreU16(block.data() + kColumnNumberAgain, c->number);
        block[f.colType] = static_cast<std::uint8_t>(c->type);
        StoreU16(block.data() + f.colNumber, c->number);
        StoreU16(block.data() + f.colVarIndex, c->varIndex);
        if (c->type == ColumnType::Text || c->type == ColumnType::Memo)
            StoreU16(block.data() + f.colSortOrder, c->sortOrder.lcid);
        block[f.colFlags] = c->flags;
        StoreU16(block.data() + f.colFixedOffset, c->fixedOffset);
        StoreU16(block.data() + f.colLength, c->length);
        out.insert(out.end(), block.begin(), block.end());
    }
    for (const ColumnDef* c : order)
        PutName(out, c->name, codePage, "column");

    for (const auto& ri : t.realIndexes) {
        auto block = Block(ri.rawBlock, f.realIndexBlockSize);
        for (std::size_t k = 0; k < 10; ++k) {
            std::uint8_t* e = block.data() + f.realIndexColumns + 3 * k;
            if (k < ri.columns.size()) {
                StoreU16(e, ri.columns[k].columnNumber);
                SetBit0(e[2], ri.columns[k].ascending);
            } else {
                StoreU16(e, 0xFFFF);
            }
        }
        StoreRowPointer(block.data() + f.realIndexMap, ri.ownedMap);
        StoreU32(block.data() + f.realIndexRoot, ri.rootPage);
        block[f.realIndexFlags] = ri.flags;
        out.insert(out.end(), block.begin(), block.end());
    }
    for (const auto& li : t.logicalIndexes) {
        auto block = Block(li.rawBlock, f.logicalIndexBlockSize);
        if (li.rawBlock.empty()) {
            block[f.logicalIndexCascadeUpdates] = kNoCascade;
            block[f.logicalIndexCascadeDeletes] = kNoCascade;
        }
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
    for (const auto& li : t.logicalIndexes)
        PutName(out, li.name, codePage, "index");

    FinishDefinition(out, order);
    return out;
}

}  // namespace accessdb
