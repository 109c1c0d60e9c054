#pragma once
// RC4, the stream cipher behind the page-0 mask and Jet's per-page encoding.
#include <array>
#include <cstdint>
#include <span>

namespace accessdb {

class Rc4 {
  public:
    explicit Rc4(std::span<const std::uint8_t> key);
    // XORs the key stream into the bytes (encrypting and decrypting are the same).
    void Apply(std::span<std::uint8_t> bytes);

  private:
    std::array<std::uint8_t, 256> state_{};
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

// Jet page encoding: RC4 keyed with (database key XOR page number), little-endian.
void ApplyJetPageCipher(std::uint32_t databaseKey, std::uint32_t page,
                        std::span<std::uint8_t> bytes);

}  // namespace accessdb
