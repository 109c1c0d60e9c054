#pragma once
#include <string>

namespace quillmere {

// "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=<path>;JET OLEDB:Database Password=<password>"
// for paths ending in "accdb" (any letter case), the Jet 4.0 provider for every other path.
// Path and password go in exactly as typed.
std::string BuildConnectionString(const std::string& path, const std::string& password);

struct ConnectionTarget {
    std::string provider;
    std::string path;
    std::string password;
};

// The reverse, for engines: the path is everything after the first "Data Source=" up to the
// last ";JET OLEDB:Database Password=", the password everything after that, so that a ';' in
// either survives. Throws DatabaseError for a text that holds no data source.
ConnectionTarget ParseConnectionString(const std::string& connectionString);

}  // namespace quillmere
