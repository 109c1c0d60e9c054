#pragma once
// Finding a byte in short text, eight bytes at a time. The row path looks for a delimiter, an
// apostrophe or a quote in every field of every line, fields are mostly a few bytes long, and
// for those the library's memchr costs more in setting up than in searching.
//
// A byte of x equal to c is a zero byte of x ^ (c in every byte); the zero test below marks
// every zero byte, and the lowest byte it marks is always a real zero (false marks only ever
// sit above a real one), so the first match is exact.
#include <bit>
#include <cstdint>
#include <cstring>

namespace textcodec {

namespace detail {
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline std::uint64_t ZeroBytes(std::uint64_t x) {
    return (x - kOnes) & ~x & kHighs;
}

inline std::uint64_t LoadLittleEndian(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap64(word);
    }
    return word;
}
}  // namespace detail

// The first c in [p, end), or end.
inline const char* FindByte(const char* p, const char* end, char c) {
    const std::uint64_t mask = detail::kOnes * static_cast<unsigned char>(c);
    while (end - p >= 8) {
        const std::uint64_t hits = detail::ZeroBytes(detail::LoadLittleEndian(p) ^ mask);
        if (hits != 0) {
            return p + std::countr_zero(hits) / 8;
        }
        p += 8;
    }
    while (p < end && *p != c) {
        ++p;
    }
    return p;
}

// The first of a, b, c in [p, end), or end.
inline const char* FindFirstOf3(const char* p, const char* end, char a, char b, char c) {
    using detail::ZeroBytes;
    const std::uint64_t ma = detail::kOnes * static_cast<unsigned char>(a);
    const std::uint64_t mb = detail::kOnes * static_cast<unsigned char>(b);
    const std::uint64_t mc = detail::kOnes * static_cast<unsigned char>(c);
    while (end - p >= 8) {
        const std::uint64_t word = detail::LoadLittleEndian(p);
        const std::uint64_t hits =
            ZeroBytes(word ^ ma) | ZeroBytes(word ^ mb) | ZeroBytes(word ^ mc);
        if (hits != 0) {
            return p + std::countr_zero(hits) / 8;
        }
        p += 8;
    }
    while (p < end && *p != a && *p != b && *p != c) {
        ++p;
    }
    return p;
}

}  // namespace textcodec
