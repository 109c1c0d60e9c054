#pragma once
// Which user tables does a database hold? Opened, read and closed on every call.
#include <optional>
#include <string>
#include <vector>

#include "database/DatabaseSession.h"

namespace quillmere {

// The names of the user tables in the order the tables schema delivers them, or no catalogue
// when no file exists at the path (nothing is opened then). Errors of the engine (wrong
// password, damaged file, no Access database) are raised unchanged.
std::optional<std::vector<std::string>> ListUserTables(SessionFactory& sessions,
                                                       const std::string& path,
                                                       const std::string& password);

// A single-selection list the catalogue can fill (List1 of the files page).
class ListControl {
  public:
    virtual ~ListControl() = default;
    virtual void Clear() = 0;
    virtual void Add(const std::string& text) = 0;
    virtual int Count() const = 0;
    virtual void Select(int index) = 0;  // 0-based
};

// Clears the list and adds every name of the catalogue, then selects the first entry. With no
// catalogue, or when reading fails (raised unchanged), the list stays exactly as it was.
void FillTableList(ListControl& list, SessionFactory& sessions, const std::string& path,
                   const std::string& password);

}  // namespace quillmere
