#pragma once
// Everything that differs between the versions of the file format, in one place: page size,
// header fields, and the offsets of data pages, table definitions, column and index blocks and
// index pages. Jet 3 (Access 97) differs in layout; Jet 4 and the ACE versions share it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace accessdb {

enum class JetVersion { Jet3, Jet4, Ace12, Ace14, Ace15, Ace16, Ace17 };

struct Format {
    JetVersion version;
    std::uint8_t versionByte;  // byte 0x14 of page 0
    const char* name;          // "Jet 4", "ACE 14", ...
    bool jet3;
    bool ace;
    std::uint32_t pageSize;

    // Page 0.
    std::size_t headerMaskLength;  // masked bytes from 0x18
    std::size_t passwordLength;    // bytes at 0x42
    std::size_t sortOrderOffset;   // default sort order (J3: LCID only)

    // Data pages.
    std::size_t dataRowCountOffset;
    std::size_t dataFirstRowOffset;  // the row offset table
    std::uint16_t dataInitialFreeSpace;
    std::size_t maxRowSize;
    std::size_t maxLongValueRowSize;
    std::size_t usageMapRowSize;  // a new inline usage map: type, start page, bitmap

    // Table definition header block.
    std::size_t tdefRowCount;
    std::size_t tdefAutoNumber;
    std::size_t tdefComplexAutoNumber;  // 0 where the format has none
    std::size_t tdefTableType;
    std::size_t tdefMaxColumns;
    std::size_t tdefVarColumns;
    std::size_t tdefColumnCount;
    std::size_t tdefLogicalIndexCount;
    std::size_t tdefRealIndexCount;
    std::size_t tdefOwnedMap;
    std::size_t tdefFreeMap;
    std::size_t tdefVariablePart;
    std::size_t indexCountBlockSize;  // per real index, at the start of the variable part

    // Column block.
    std::size_t columnBlockSize;
    std::size_t colType;
    std::size_t colNumber;
    std::size_t colVarIndex;
    std::size_t colSortOrder;
    std::size_t colPrecision;
    std::size_t colScale;
    std::size_t colFlags;
    std::size_t colExtFlags;  // 0 = none (J3)
    std::size_t colFixedOffset;
    std::size_t colLength;
    std::size_t nameLengthSize;  // 2 (UTF-16 names) or 1 (code-page names)

    // Real and logical index blocks.
    std::size_t realIndexBlockSize;
    std::size_t realIndexColumns;  // 10 x (column number 2, flags 1)
    std::size_t realIndexMap;
    std::size_t realIndexRoot;
    std::size_t realIndexFlags;
    std::size_t logicalIndexBlockSize;
    std::size_t logicalIndexNumber;
    std::size_t logicalIndexReal;
    std::size_t logicalIndexRelatedSide;
    std::size_t logicalIndexRelatedIndex;
    std::size_t logicalIndexRelatedTable;
    std::size_t logicalIndexCascadeUpdates;
    std::size_t logicalIndexCascadeDeletes;
    std::size_t logicalIndexType;

    // Index pages.
    std::size_t indexPrevPage;
    std::size_t indexNextPage;
    std::size_t indexTailPage;
    std::size_t indexPrefixLength;
    std::size_t
        indexPrefixLengthSize;  // 2 bytes (J4+), 1 byte (J3: the next byte is 1 on node pages)
    std::size_t indexBitmap;
    std::size_t indexFirstEntry;

    bool Unicode() const { return !jet3; }
};

// Page 0 constants shared by all versions.
inline constexpr std::size_t kHeaderVersionOffset = 0x14;
inline constexpr std::size_t kHeaderMaskStart = 0x18;
inline constexpr std::size_t kHeaderCodePageOffset = 0x3C;
inline constexpr std::size_t kHeaderKeyOffset = 0x3E;
inline constexpr std::size_t kHeaderPasswordOffset = 0x42;
inline constexpr std::size_t kHeaderDateOffset = 0x72;
inline constexpr std::size_t kHeaderCryptLengthOffset = 0x299;

// Fixed pages.
inline constexpr std::uint32_t kGlobalUsageMapPage = 1;
inline constexpr std::uint32_t kSystemCatalogPage = 2;

// Page types (byte 0 of every page).
inline constexpr std::uint8_t kPageHeader = 0x00;
inline constexpr std::uint8_t kPageData = 0x01;
inline constexpr std::uint8_t kPageTableDef = 0x02;
inline constexpr std::uint8_t kPageIndexNode = 0x03;
inline constexpr std::uint8_t kPageIndexLeaf = 0x04;
inline constexpr std::uint8_t kPageUsageMap = 0x05;

// Row offset table flags on data pages.
inline constexpr std::uint16_t kRowDeleted = 0x8000;
inline constexpr std::uint16_t kRowLookup = 0x4000;  // the row holds a pointer to the real row
inline constexpr std::uint16_t kRowOffsetMask = 0x1FFF;
inline constexpr std::size_t kMaxRowsPerDataPage = 255;

// The format of a version byte, or nullptr when the byte names no known version.
const Format* FormatForVersionByte(std::uint8_t versionByte);

// The 128 bytes that mask page 0 from 0x18 (the RC4 key stream of key C7 DA 39 6B).
const std::uint8_t* HeaderMask();

}  // namespace accessdb
