// What AES-CBC checks the same way on every system; the cipher itself is the system's
// (AesCbcPosix.cpp, AesCbcWindows.cpp).
#include "accessdb/crypto/AesCbc.h"

#include <string>

#include "accessdb/crypto/Digest.h"

namespace accessdb::crypto {

void AesCbc::Encrypt(Bytes iv, MutableBytes bytes) const {
    Run(true, iv, bytes);
}

void AesCbc::Decrypt(Bytes iv, MutableBytes bytes) const {
    Run(false, iv, bytes);
}

void AesCbc::ThrowBadAesKey(std::size_t size) {
    throw Error(ErrorKind::NotSupported,
                "AES keys are 128, 192 or 256 bits long, not " + std::to_string(size * 8) + ".");
}

void AesCbc::RequireWholeBlocks(Bytes iv, MutableBytes bytes) {
    if (iv.size() != kBlockSize || bytes.size() % kBlockSize != 0)
        ThrowCryptoFailure("given a partial AES block");
}

}  // namespace accessdb::crypto
