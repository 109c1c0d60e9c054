#include "accessdb/write/NewGuid.h"

#include <random>

namespace accessdb {

std::vector<std::uint8_t> NewRandomGuid() {
    thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        return (static_cast<std::uint64_t>(device()) << 32) ^ device();
    }()};
    std::vector<std::uint8_t> bytes(16);
    for (std::size_t i = 0; i < 16; i += 8) {
        const std::uint64_t r = generator();
        for (std::size_t b = 0; b < 8; ++b) {
            bytes[i + b] = static_cast<std::uint8_t>(r >> (8 * b));
        }
    }
    // Data3 is stored little-endian: its high nibble (the version) is in byte 7.
    bytes[7] = static_cast<std::uint8_t>((bytes[7] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    return bytes;
}

}  // namespace accessdb
