#pragma once
// The rows of a new database's catalog: the Tables, Databases and Relationships containers,
// MSysDb with its properties, one MSysObjects row per system table, and the access-control
// entries of these objects in MSysACEs. Inserted through the writer's table writer, which keeps
// the indexes, data pages, long values and row counts as for any insert.
#include <string>

#include "accessdb/PageFile.h"
#include "accessdb/create/Skeleton.h"

namespace accessdb::create {

void WriteCatalogRows(PageFile& pages, const Skeleton& skeleton, const TargetFacts& facts,
                      const std::string& accessVersion);

}  // namespace accessdb::create
