#pragma once
// The pages of a new database before its catalog has rows: page 0, the free-page map on page 1,
// one definition page per system table (MSysObjects on page 2), the usage-map pages and one
// empty root page per index. A fresh file has nothing to split, so the pages are laid out in
// one go.
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/Format.h"
#include "accessdb/Header.h"
#include "accessdb/create/SystemObjects.h"
#include "accessdb/create/SystemTableDef.h"

namespace accessdb::create {

struct Skeleton {
    std::vector<std::vector<std::uint8_t>> pages;  // as they go to the file
    std::vector<const SystemTable*> tables;
    std::vector<TablePlacement> placements;  // same order as `tables`
};

Skeleton BuildSkeleton(const Format& format, const TargetFacts& facts, SortOrder sortOrder,
                       const std::string& password);

}  // namespace accessdb::create
