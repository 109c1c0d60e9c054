#pragma once
// Random GUIDs (version 4) for GUID AutoNumber columns, in stored byte order.
#include <cstdint>
#include <vector>

namespace accessdb {

std::vector<std::uint8_t> NewRandomGuid();

}  // namespace accessdb
