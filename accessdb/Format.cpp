// The per-version constants. Jet 4 and ACE share every layout; ACE adds the complex-type
// autonumber in the table definition.
#include "accessdb/Format.h"

#include <array>

#include "accessdb/Rc4.h"

namespace accessdb {
namespace {

Format MakeJet3() {
    Format f{};
    f.version = JetVersion::Jet3;
    f.versionByte = 0;
    f.name = "Jet 3";
    f.jet3 = true;
    f.ace = false;
    f.pageSize = 2048;
    f.headerMaskLength = 126;
    f.passwordLength = 20;
    f.sortOrderOffset = 0x3A;
    f.dataRowCountOffset = 8;
    f.dataFirstRowOffset = 10;
    f.dataInitialFreeSpace = 2048 - 10;  // the Jet 3 data page header is 10 bytes
    f.maxRowSize = 2012;
    f.maxLongValueRowSize = 2032;
    f.usageMapRowSize = 133;  // 128 bitmap bytes, as Access 97 writes them
    f.tdefRowCount = 12;
    f.tdefAutoNumber = 16;
    f.tdefComplexAutoNumber = 0;
    f.tdefTableType = 20;
    f.tdefMaxColumns = 21;
    f.tdefVarColumns = 23;
    f.tdefColumnCount = 25;
    f.tdefLogicalIndexCount = 27;
    f.tdefRealIndexCount = 31;
    f.tdefOwnedMap = 35;
    f.tdefFreeMap = 39;
    f.tdefVariablePart = 43;
    f.indexCountBlockSize = 8;
    f.columnBlockSize = 18;
    f.colType = 0;
    f.colNumber = 1;
    f.colVarIndex = 3;
    f.colSortOrder = 9;
    f.colPrecision = 11;
    f.colScale = 12;
    f.colFlags = 13;
    f.colExtFlags = 0;
    f.colFixedOffset = 14;
    f.colLength = 16;
    f.nameLengthSize = 1;
    f.realIndexBlockSize = 39;
    f.realIndexColumns = 0;
    f.realIndexMap = 30;
    f.realIndexRoot = 34;
    f.realIndexFlags = 38;
    f.logicalIndexBlockSize = 20;
    f.logicalIndexNumber = 0;
    f.logicalIndexReal = 4;
    f.logicalIndexRelatedSide = 8;
    f.logicalIndexRelatedIndex = 9;
    f.logicalIndexRelatedTable = 13;
    f.logicalIndexCascadeUpdates = 17;
    f.logicalIndexCascadeDeletes = 18;
    f.logicalIndexType = 19;
    f.indexPrevPage = 8;
    f.indexNextPage = 12;
    f.indexTailPage = 16;
    f.indexPrefixLength = 20;
    f.indexPrefixLengthSize = 1;
    f.indexBitmap = 22;
    f.indexFirstEntry = 0xF8;
    return f;
}

Format MakeJet4(JetVersion version, std::uint8_t versionByte, const char* name) {
    Format f{};
    f.version = version;
    f.versionByte = versionByte;
    f.name = name;
    f.jet3 = false;
    f.ace = versionByte >= 2;
    f.pageSize = 4096;
    f.headerMaskLength = 128;
    f.passwordLength = 40;
    f.sortOrderOffset = 0x6E;
    f.dataRowCountOffset = 12;
    f.dataFirstRowOffset = 14;
    f.dataInitialFreeSpace = 4096 - 14;
    f.maxRowSize = 4060;
    f.maxLongValueRowSize = 4076;
    f.usageMapRowSize = 69;  // 64 bitmap bytes, as the Jet 4 engine writes them
    f.tdefRowCount = 16;
    f.tdefAutoNumber = 20;
    f.tdefComplexAutoNumber = f.ace ? 28 : 0;
    f.tdefTableType = 40;
    f.tdefMaxColumns = 41;
    f.tdefVarColumns = 43;
    f.tdefColumnCount = 45;
    f.tdefLogicalIndexCount = 47;
    f.tdefRealIndexCount = 51;
    f.tdefOwnedMap = 55;
    f.tdefFreeMap = 59;
    f.tdefVariablePart = 63;
    f.indexCountBlockSize = 12;
    f.columnBlockSize = 25;
    f.colType = 0;
    f.colNumber = 5;
    f.colVarIndex = 7;
    f.colSortOrder = 11;
    f.colPrecision = 11;
    f.colScale = 12;
    f.colFlags = 15;
    f.colExtFlags = 16;
    f.colFixedOffset = 21;
    f.colLength = 23;
    f.nameLengthSize = 2;
    f.realIndexBlockSize = 52;
    f.realIndexColumns = 4;
    f.realIndexMap = 34;
    f.realIndexRoot = 38;
    f.realIndexFlags = 46;
    f.logicalIndexBlockSize = 28;
    f.logicalIndexNumber = 4;
    f.logicalIndexReal = 8;
    f.logicalIndexRelatedSide = 12;
    f.logicalIndexRelatedIndex = 13;
    f.logicalIndexRelatedTable = 17;
    f.logicalIndexCascadeUpdates = 21;
    f.logicalIndexCascadeDeletes = 22;
    f.logicalIndexType = 23;
    f.indexPrevPage = 12;
    f.indexNextPage = 16;
    f.indexTailPage = 20;
    f.indexPrefixLength = 24;
    f.indexPrefixLengthSize = 2;
    f.indexBitmap = 27;
    f.indexFirstEntry = 0x1E0;
    return f;
}

const std::array<Format, 7>& Formats() {
    static const std::array<Format, 7> formats = {
        MakeJet3(),
        MakeJet4(JetVersion::Jet4, 1, "Jet 4"),
        MakeJet4(JetVersion::Ace12, 2, "ACE 12"),
        MakeJet4(JetVersion::Ace14, 3, "ACE 14"),
        MakeJet4(JetVersion::Ace15, 4, "ACE 15"),
        MakeJet4(JetVersion::Ace16, 5, "ACE 16"),
        MakeJet4(JetVersion::Ace17, 6, "ACE 17"),
    };
    return formats;
}

}  // namespace

const Format* FormatForVersionByte(std::uint8_t versionByte) {
    if (versionByte >= Formats().size())
        return nullptr;
    return &Formats()[versionByte];
}

const std::uint8_t* HeaderMask() {
    static const std::array<std::uint8_t, 128> mask = [] {
        std::array<std::uint8_t, 128> m{};
        const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
        Rc4 rc4(key);
        rc4.Apply(m);
        return m;
    }();
    return mask.data();
}

}  // namespace accessdb
