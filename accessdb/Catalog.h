#pragma once
// The system catalog (MSysObjects, TDEF on page 2), read through the engine's own table
// cursor, and the tables schema rowset made from it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "accessdb/PageFile.h"
#include "accessdb/TableDef.h"

namespace accessdb {

// MSysObjects Type values (after masking with 0x7F) and Flags bits.
inline constexpr int kObjectLocalTable = 1;
inline constexpr int kObjectLinkedOdbcTable = 4;
inline constexpr int kObjectQuery = 5;
inline constexpr int kObjectLinkedTable = 6;
inline constexpr std::uint32_t kObjectSystemFlags = 0x80000002;
inline constexpr std::uint32_t kObjectJetSystemFlag = 0x80000000;
inline constexpr std::uint32_t kObjectAccessSystemFlag = 0x00000002;
inline constexpr std::int32_t kDatabaseParentId = 0x0F000000;
inline constexpr std::int32_t kDefaultTablesId = 0x0F000001;

struct CatalogObject {
    std::int32_t id = 0;
    std::int32_t parentId = 0;
    std::string name;
    int type = 0;  // Type & 0x7F
    std::uint32_t flags = 0;
    std::string database;     // linked tables: the other file
    std::string connect;      // ODBC links
    std::string foreignName;  // linked tables: the name in the other file
    RowPointer row;           // where the MSysObjects row lives
    std::uint32_t TableDefPage() const { return static_cast<std::uint32_t>(id) & 0x00FFFFFF; }
};

// One row of the tables schema rowset.
struct SchemaRow {
    std::string tableType;  // TABLE, SYSTEM TABLE, ACCESS TABLE, LINK, PASS-THROUGH, VIEW
    std::string tableName;
    const CatalogObject* object = nullptr;
};

class Catalog {
  public:
    static std::unique_ptr<Catalog> Load(PageFile& pages);

    const std::vector<CatalogObject>& Objects() const { return objects_; }
    std::int32_t TablesId() const { return tablesId_; }
    const TableDef& SystemCatalogDef() const { return *msysObjects_; }
    std::shared_ptr<const TableDef> SystemCatalogDefShared() const { return msysObjects_; }

    // Rows sorted by TABLE_TYPE, then TABLE_NAME ignoring letter case.
    std::vector<SchemaRow> SchemaRows() const;
    // The object under Tables with that name (letter case ignored), nullptr when none.
    const CatalogObject* Find(const std::string& name) const;
    // The TABLE_TYPE text of an object, or "" for objects the rowset leaves out.
    static std::string TableType(const CatalogObject& o);

  private:
    std::shared_ptr<const TableDef> msysObjects_;
    std::vector<CatalogObject> objects_;
    std::int32_t tablesId_ = kDefaultTablesId;
};

}  // namespace accessdb
