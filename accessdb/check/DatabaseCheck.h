#pragma once
// A structural validator for Access databases: page types, data pages (row offset tables and
// free space), usage maps against the pages they claim (no page owned twice, none in use and
// marked free), table definitions, stored row counts against the rows, and every index tree
// (page links, order, node entries, and agreement with its table's rows where the engine can
// encode the keys). Run after every write in the tests and by `accessdb check`.
#include <string>
#include <vector>

namespace accessdb {

class Database;

struct CheckReport {
    std::vector<std::string> findings;  // empty: the database is sound
    std::size_t tables = 0;
    std::size_t rows = 0;
    std::size_t indexes = 0;
    std::size_t indexesCompared = 0;  // indexes whose entries were compared with the rows
};

CheckReport CheckDatabase(Database& database);

}  // namespace accessdb
