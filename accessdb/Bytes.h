#pragma once
// Little-endian (and the few big-endian) integer access for page buffers. The checked readers
// throw a "damaged" error instead of reading outside the buffer: every offset taken from the
// file goes through them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "accessdb/Error.h"

namespace accessdb {

using Bytes = std::span<const std::uint8_t>;
using MutableBytes = std::span<std::uint8_t>;

inline std::uint16_t LoadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU24(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}
inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return LoadU24(p) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t LoadU64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(LoadU32(p)) |
           (static_cast<std::uint64_t>(LoadU32(p + 4)) << 32);
}
inline std::uint32_t LoadU32BE(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}
inline void StoreU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreU24(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
}
inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    StoreU24(p, v);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void StoreU64(std::uint8_t* p, std::uint64_t v) {
    StoreU32(p, static_cast<std::uint32_t>(v));
    StoreU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}
// Appending to a record being built, for fields written in order.
inline void AppendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    AppendU16(out, static_cast<std::uint16_t>(v));
    AppendU16(out, static_cast<std::uint16_t>(v >> 16));
}

inline void StoreU32BE(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// Throws "damaged" unless [offset, offset + size) lies inside a buffer of `length` bytes.
inline void CheckRange(std::size_t length, std::size_t offset, std::size_t size, const char* what) {
    if (offset > length || size > length - offset) {
        ThrowDamaged(std::string(what) + " lies outside its page or record (offset " +
                     std::to_string(offset) + ", " + std::to_string(size) + " bytes of " +
                     std::to_string(length) + ")");
    }
}

inline std::uint8_t ReadU8(Bytes b, std::size_t off, const char* what) {
    CheckRange(b.size(), off, 1, what);
    return b[off];
}
inline std::uint16_t ReadU16(Bytes b, std::size_t off, const char* what) {
    CheckRange(b.size(), off, 2, what);
    return LoadU16(b.data() + off);
}
inline std::uint32_t ReadU24(Bytes b, std::size_t off, const char* what) {
    CheckRange(b.size(), off, 3, what);
    return LoadU24(b.data() + off);
}
inline std::uint32_t ReadU32(Bytes b, std::size_t off, const char* what) {
    CheckRange(b.size(), off, 4, what);
    return LoadU32(b.data() + off);
}
inline Bytes Slice(Bytes b, std::size_t off, std::size_t size, const char* what) {
    CheckRange(b.size(), off, size, what);
    return b.subspan(off, size);
}

// A row pointer as stored in rows, usage maps and long values: row number (1 byte) then page
// number (3 bytes), little-endian.
struct RowPointer {
    std::uint32_t page = 0;
    std::uint8_t row = 0;
    bool operator==(const RowPointer&) const = default;
};
inline RowPointer LoadRowPointer(const std::uint8_t* p) {
    return RowPointer{LoadU24(p + 1), p[0]};
}
inline void StoreRowPointer(std::uint8_t* p, RowPointer r) {
    p[0] = r.row;
    StoreU24(p + 1, r.page);
}

}  // namespace accessdb
