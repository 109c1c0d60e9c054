#pragma once
// The system objects the database engine itself writes into a new database, as facts: the
// system tables with their columns, flags and indexes, and per file format the header values
// and access-control entries of the engine-made or Access-made database we agree with.
// README.md in this folder says which objects these are and why.
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/ColumnType.h"
#include "accessdb/Format.h"

namespace accessdb::create {

struct SystemColumn {
    const char* name;
    ColumnType type;
    std::uint16_t number;
    std::uint16_t varIndex;  // fixed columns: the number of variable columns before them
    std::uint8_t flags;
    std::uint8_t extFlags;
    std::uint16_t fixedOffset;
    std::uint16_t length;
    std::uint8_t precision;  // Decimal
    std::uint8_t scale;
};

struct SystemIndexColumn {
    std::uint16_t number;
    std::uint8_t flags;  // 0x01 ascending
};

struct SystemRealIndex {
    std::vector<SystemIndexColumn> columns;
    std::uint8_t flags;
};

struct SystemLogicalIndex {
    const char* name;
    std::uint32_t number;
    std::uint32_t realIndex;
    std::uint8_t type;  // 1 primary key
};

struct SystemTable {
    const char* name;
    std::uint32_t objectFlags;  // Flags of its MSysObjects row
    std::uint8_t tableType;     // 0x53 system, 0x4E the ACE complex-type tables
    std::uint16_t maxColumns;
    std::uint16_t varColumns;
    bool aceOnly;
    std::vector<SystemColumn> columns;  // in name order, as the engine stores them
    std::vector<SystemRealIndex> realIndexes;
    std::vector<SystemLogicalIndex> logicalIndexes;  // in name order
};

// One row of MSysACEs: the object it protects (by name), the stored security id, the access
// mask and whether child objects inherit it.
struct AccessControlEntry {
    const char* object;
    const char* sid;  // hex
    std::int32_t mask;
    bool inheritable;
};

// What a new database of one version takes over from its target database. The security ids in
// MSysObjects.Owner and MSysACEs.SID are stored enciphered with a key of the database that we
// could not identify; files that share the header's creation date share the same stored ids. So
// the creation date and the ids travel together, unchanged, from the target.
struct TargetFacts {
    JetVersion version;
    const char* fixture;                     // the database these facts were read from
    std::vector<std::uint8_t> creationDate;  // 8 bytes at 0x72 (none in Jet 3)
    std::vector<std::uint8_t> field6A;       // 4 unknown bytes after the password (0x6A; J3 0x56)
    std::uint16_t pageZeroWords[2];          // the first two words at 0xE00 (Jet 3: 0x600)
    const char* engineOwner;                 // Owner of the containers and the Jet tables (hex)
    const char* databaseOwner;               // Owner of MSysDb (hex)
    std::vector<AccessControlEntry> accessControl;
};

const std::vector<SystemTable>& SystemTables();
// The Jet tables of an Access 97 (Jet 3) database.
const std::vector<SystemTable>& Jet3SystemTables();
const std::vector<TargetFacts>& Targets();
// The facts for a version (ACE 15 takes ACE 14's).
const TargetFacts& TargetFor(JetVersion version);

// The bytes of a hex text ("a63c" gives A6 3C).
std::vector<std::uint8_t> FromHex(const char* hex);

}  // namespace accessdb::create
