#pragma once
// Property blobs (the LvProp column of MSysObjects): the properties of a database, table or
// query and of its columns. "MR2\0" (Jet 4, ACE) or "KKD\0" (Jet 3), then chunks: a list of
// property names, and per object or column the values (DDL flag, type, name, data). Jet 4 and
// ACE store names and text values as UTF-16LE; Jet 3 stores them as bytes of the database's code
// page, like every other Jet 3 text.
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
    // Text and Memo values as UTF-8 (decoded as the blob stores text); "" for other types.
    std::string Text() const;

    // Set by ReadPropertyBlob for a Jet 3 blob: its text is bytes of this code page.
    bool codePageText = false;
    std::uint16_t codePage = 0;
};

// Every property in the blob, in stored order. `codePage` (the database header's) decodes the
// text of a Jet 3 blob; a Jet 4 or ACE blob ignores it. Throws Damaged for a blob that does not
// hold together.
std::vector<Property> ReadPropertyBlob(Bytes blob, std::uint16_t codePage);

}  // namespace accessdb
