#pragma once
// Property blobs (the LvProp column of MSysObjects): the properties of a database, table or
// query and of its columns. "MR2\0" (Jet 4, ACE) or "KKD\0" (Jet 3), then chunks: a list of
// property names, and per object or column the values (DDL flag, type, name, data).
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/Bytes.h"

namespace accessdb {

struct Property {
    std::string object;  // "" for the object itself, else the column's name
    std::string name;
    std::uint8_t type = 0;  // a column type code
    bool ddl = false;
    std::vector<std::uint8_t> data;
    // Text and Memo values as UTF-8 (the stored UTF-16LE decoded); "" for other types.
    std::string Text() const;
};

// Every property in the blob, in stored order. Throws Damaged for a blob that does not hold
// together.
std::vector<Property> ReadPropertyBlob(Bytes blob);

}  // namespace accessdb
