#pragma once
// AES in CBC mode without padding (libcrypto; CNG on Windows), for whole pages and the descriptor's
// key blobs.
#include <cstdint>
#include <memory>

#include "accessdb/Bytes.h"

namespace accessdb::crypto {

class AesCbc {
  public:
    // A 16, 24 or 32-byte key; throws NotSupported for any other length.
    explicit AesCbc(Bytes key);
    ~AesCbc();
    AesCbc(const AesCbc&) = delete;
    AesCbc& operator=(const AesCbc&) = delete;

    // In place; `bytes` must be a whole number of 16-byte blocks and `iv` 16 bytes.
    void Encrypt(Bytes iv, MutableBytes bytes) const;
    void Decrypt(Bytes iv, MutableBytes bytes) const;

    static constexpr std::size_t kBlockSize = 16;

  private:
    [[noreturn]] static void ThrowBadAesKey(std::size_t size);
    static void RequireWholeBlocks(Bytes iv, MutableBytes bytes);
    void Run(bool encrypt, Bytes iv, MutableBytes bytes) const;
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace accessdb::crypto
