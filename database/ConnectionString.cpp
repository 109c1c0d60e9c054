#include "database/ConnectionString.h"

#include <algorithm>
#include <cctype>

#include "database/DatabaseSession.h"

namespace quillmere {
namespace {
constexpr std::string_view kDataSource = "Data Source=";
constexpr std::string_view kPasswordClause = ";JET OLEDB:Database Password=";
}  // namespace

std::string BuildConnectionString(const std::string& path, const std::string& password) {
    std::string ending = path.size() >= 5 ? path.substr(path.size() - 5) : path;
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string text = ending == "accdb" ? "Provider=Microsoft.ACE.OLEDB.12.0;"
                                         : "PROVIDER=Microsoft.Jet.OLEDB.4.0;";
    text += kDataSource;
    text += path;
    text += kPasswordClause;
    text += password;
    return text;
}

ConnectionTarget ParseConnectionString(const std::string& connectionString) {
    const auto source = connectionString.find(kDataSource);
    if (source == std::string::npos) {
        throw DatabaseError(3706,
                            "Provider cannot be found. The connection string names no "
                            "data source: " +
                                connectionString);
    }
    ConnectionTarget target;
    const auto header = connectionString.substr(0, source);
    const auto equals = header.find('=');
    const auto semicolon = header.find(';');
    if (equals != std::string::npos && semicolon != std::string::npos && equals < semicolon) {
        target.provider = header.substr(equals + 1, semicolon - equals - 1);
    }
    const auto pathStart = source + kDataSource.size();
    const auto clause = connectionString.rfind(kPasswordClause);
    if (clause == std::string::npos || clause < pathStart) {
        target.path = connectionString.substr(pathStart);
    } else {
        target.path = connectionString.substr(pathStart, clause - pathStart);
        target.password = connectionString.substr(clause + kPasswordClause.size());
    }
    return target;
}

}  // namespace quillmere
