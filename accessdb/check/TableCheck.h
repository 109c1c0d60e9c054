#pragma once
// The structural checks of one table, as `accessdb check` runs them: its definition (column
// counts and numbers), its usage maps and the pages they claim (each a data page of this table
// with sound row offsets and free space, none claimed twice or marked free in the global map),
// its long-value pages, its rows against the stored row count, and every index tree (owners,
// entry order, leaf links, usage map, and agreement with the rows where the keys can be
// encoded). Findings go to the report; nothing is thrown for damage.
#include <cstdint>
#include <memory>
#include <string>

#include "accessdb/PageFile.h"
#include "accessdb/check/DatabaseCheck.h"

namespace accessdb {

class Database;

class StructureCheck {
  public:
    // With `relations`, the rows of enforced relationships' "many" sides are looked up in the
    // related tables (each row a key lookup: `accessdb check` does it, the write guard does not).
    StructureCheck(PageFile& pages, CheckReport& report, Database* relations = nullptr);
    ~StructureCheck();
    StructureCheck(const StructureCheck&) = delete;
    StructureCheck& operator=(const StructureCheck&) = delete;

    // Reads the global usage map, so that pages in use and marked free are found.
    void LoadGlobalMap();
    // Checks the table whose definition starts at `tdefPage`. `countKept`: whether the stored
    // row count must be exact (user tables and the catalog; Access lets some system tables'
    // counts drift). Pages claimed by earlier tables of this check count against it.
    void CheckTable(const std::string& name, std::uint32_t tdefPage, bool countKept);

  private:
    class Checker;
    std::unique_ptr<Checker> checker_;
};

}  // namespace accessdb
