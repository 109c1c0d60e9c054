#pragma once
// The writer's promise never to write into a structure it has not verified: before a session
// changes a table for the first time, the table is checked as `accessdb check` checks it (its
// definition, usage maps, every data and long-value page they claim, the rows against the row
// count, every index page), and any finding refuses the statement with "damaged" (3049) naming
// the table and the page, before a byte is written. A table checked once stays trusted for the
// rest of the session: from then on only this writer changes it. Reading stays tolerant.
#include <cstdint>
#include <set>

namespace accessdb {

class Database;
class PageFile;
struct TableDef;

// Before a page the global usage map calls free is reused: throws Error(Damaged) when a table
// still owns it (a data or index page whose table's maps list it), since reusing it would
// overwrite that table. Pages left over from dropped tables pass.
void RequireUnownedFreePage(PageFile& pages, std::uint32_t page);

class WriteGuard {
  public:
    explicit WriteGuard(Database& database) : database_(database) {}

    // Throws Error(Damaged) when `table` does not pass the check.
    void BeforeChange(const TableDef& table);

  private:
    Database& database_;
    std::set<std::uint32_t> verified_;  // definition pages of the tables checked
};

}  // namespace accessdb
