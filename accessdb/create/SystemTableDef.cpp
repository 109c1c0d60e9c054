#include "accessdb/create/SystemTableDef.h"

#include "accessdb/Error.h"
#include "accessdb/Text.h"

namespace accessdb::create {

namespace {

constexpr std::uint32_t kUnknownConstant = 1625;  // in every TDEF the engine writes
constexpr std::uint32_t kIndexConstant = 1923;    // at the start of every real index block
constexpr std::uint8_t kNoCascade = 0x04;         // what the engine writes for plain indexes
constexpr std::size_t kIndexColumnSlots = 10;

class Out {
  public:
    void U8(std::uint8_t v) { bytes.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void Pointer(RowPointer where) {
        U8(where.row);
        U8(static_cast<std::uint8_t>(where.page));
        U16(static_cast<std::uint16_t>(where.page >> 8));
    }
    void Zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
    void Name(const char* name) {
        const std::u16string text = Utf8ToUtf16(name);
        U16(static_cast<std::uint16_t>(text.size() * 2));
        for (const char16_t c : text)
            U16(static_cast<std::uint16_t>(c));
    }
    std::vector<std::uint8_t> bytes;
};

void ColumnBlock(Out& out, const SystemColumn& column, SortOrder sortOrder) {
    out.U8(static_cast<std::uint8_t>(column.type));
    out.U32(kUnknownConstant);
    out.U16(column.number);
    out.U16(column.varIndex);
    out.U16(0);
    if (column.type == ColumnType::Numeric) {
        out.U8(column.precision);
        out.U8(column.scale);
        out.U16(0);
    } else {
        out.U16(sortOrder.lcid);
        out.U8(0);
        out.U8(sortOrder.version);
    }
    out.U8(column.flags);
    out.U8(column.extFlags);
    out.U32(0);
    out.U16(column.fixedOffset);
    out.U16(column.length);
}

void RealIndexBlock(Out& out, const SystemRealIndex& index, RowPointer map, std::uint32_t root) {
    out.U32(kIndexConstant);
    for (std::size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
        if (slot < index.columns.size()) {
            out.U16(index.columns[slot].number);
            out.U8(index.columns[slot].flags);
        } else {
            out.U16(0xFFFF);
            out.U8(0);
        }
    }
    out.Pointer(map);
    out.U32(root);
    out.U32(0);
    out.U8(index.flags);
    out.Zeros(5);
}

void LogicalIndexBlock(Out& out, const SystemLogicalIndex& index) {
    out.U32(kUnknownConstant);
    out.U32(index.number);
    out.U32(index.realIndex);
    out.U8(0);            // not a foreign key: no related side,
    out.U32(0xFFFFFFFF);  // no related index,
    out.U32(0);           // no related table
    out.U8(kNoCascade);
    out.U8(kNoCascade);
    out.U8(index.type);
    out.U32(0);
}

}  // namespace

std::size_t LongValueColumnCount(const SystemTable& table) {
    std::size_t n = 0;
    for (const SystemColumn& column : table.columns)
        n += IsLongValueType(column.type) ? 1 : 0;
    return n;
}

std::vector<std::uint8_t> BuildSystemTableDef(const SystemTable& table, const Format& format,
                                              SortOrder sortOrder, const TablePlacement& where) {
    Out out;
    out.U8(kPageTableDef);
    out.U8(0x01);
    out.U16(0);  // free space, below
    out.U32(0);  // no continuation page
    out.U32(0);  // definition length, below
    out.U32(kUnknownConstant);
    out.U32(0);  // rows
    out.U32(0);  // last autonumber
    out.U8(0x01);
    out.Zeros(15);
    out.U8(table.tableType);
    out.U16(table.maxColumns);
    out.U16(table.varColumns);
    out.U16(static_cast<std::uint16_t>(table.columns.size()));
    out.U32(static_cast<std::uint32_t>(table.logicalIndexes.size()));
    out.U32(static_cast<std::uint32_t>(table.realIndexes.size()));
    out.Pointer(where.ownedMap);
    out.Pointer(where.freeMap);
    out.Zeros(format.indexCountBlockSize * table.realIndexes.size());
    for (const SystemColumn& column : table.columns)
        ColumnBlock(out, column, sortOrder);
    for (const SystemColumn& column : table.columns)
        out.Name(column.name);
    for (std::size_t i = 0; i < table.realIndexes.size(); ++i) {
        RealIndexBlock(out, table.realIndexes[i], where.indexMaps.at(i), where.indexRoots.at(i));
    }
    for (const SystemLogicalIndex& index : table.logicalIndexes)
        LogicalIndexBlock(out, index);
    for (const SystemLogicalIndex& index : table.logicalIndexes)
        out.Name(index.name);
    std::size_t longValue = 0;
    for (const SystemColumn& column : table.columns) {
        if (!IsLongValueType(column.type))
            continue;
        out.U16(column.number);
        out.Pointer(where.longValueMaps.at(longValue).first);
        out.Pointer(where.longValueMaps.at(longValue).second);
        ++longValue;
    }
    out.U16(0xFFFF);

    std::vector<std::uint8_t> page = std::move(out.bytes);
    if (page.size() + 8 > format.pageSize) {
        throw Error(ErrorKind::NotSupported, std::string("The definition of system table ") +
                                                 table.name + " does not fit one page.");
    }
    StoreU32(page.data() + 8, static_cast<std::uint32_t>(page.size()));
    StoreU16(page.data() + 2, static_cast<std::uint16_t>(format.pageSize - page.size() - 8));
    page.resize(format.pageSize, 0);
    return page;
}

}  // namespace accessdb::create
