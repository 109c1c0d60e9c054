#pragma once
// The property blob (LvProp) of the MSysDb row of a new database.
#include <cstdint>
#include <string>
#include <vector>

namespace accessdb::create {

// A blob holding the one database property AccessVersion ("07.53" Access 97, "08.50" marks the
// Access 2000 file format, "09.50" 2002 and later): without it Access cannot tell a 2000 from a
// 2002-2003 .mdb. `jet3`: the Access 97 blob ("KKD", text in the code page).
std::vector<std::uint8_t> AccessVersionProperty(const std::string& accessVersion, bool jet3);

}  // namespace accessdb::create
