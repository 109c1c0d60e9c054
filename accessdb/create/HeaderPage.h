#pragma once
// Page 0 of a new database: signature, version, the masked area (code page, no page encoding,
// the database password as Jet 3 or Jet 4 stores it, the default sort order, the creation date
// in Jet 4) and the fixed fields the engine writes.
#include <cstdint>
#include <string>
#include <vector>

#include "accessdb/Format.h"
#include "accessdb/Header.h"
#include "accessdb/create/SystemObjects.h"

namespace accessdb::create {

// Longest database password Jet accepts.
inline constexpr std::size_t kMaxPasswordLength = 20;

// An Access 97 password as stored: bytes of code page 1252. Throws Error(Constraint) for a
// character the code page lacks or more than 20 characters.
std::vector<std::uint8_t> EncodeJet3Password(const std::string& password);

// The page as it goes to the file (masked). `password` (UTF-8) only for Jet 3 and Jet 4; empty
// for none.
std::vector<std::uint8_t> BuildHeaderPage(const Format& format, const TargetFacts& facts,
                                          SortOrder sortOrder, const std::string& password);

}  // namespace accessdb::create
