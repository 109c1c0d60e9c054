#pragma once
// Office encryption of .accdb files: the EncryptionInfo structure on page 0 (2-byte length at
// 0x299, then the structure), the password check against its verifier, and the page codec
// that decrypts and encrypts pages 1..n. Agile (4.4) and RC4 CryptoAPI (2.2/3.2/4.2) are read
// and written; new databases get Agile with the settings Access 2010 and later use.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "accessdb/Bytes.h"
#include "accessdb/PageCodec.h"

namespace accessdb::crypto {

// The password as the key derivation sees it: UTF-16LE, at most 255 characters.
std::vector<std::uint8_t> PasswordBytes(const std::string& utf8);

// Checks the password against the encryption of an unmasked ACE page 0 and returns the codec
// of its pages. Throws WrongPassword ("Not a valid password.") for a wrong or missing password,
// Damaged for a damaged or cut-short structure, Encrypted for versions, ciphers and hashes this
// engine does not support; none of them names the file (the caller does).
std::unique_ptr<PageCodec> UnlockOfficeEncryption(Bytes page0, std::uint32_t databaseKey,
                                                  const std::string& password);

// Makes a new database's encryption: a fresh random data key, salts and database key; writes
// the database key and the EncryptionInfo into the unmasked page 0 and returns the codec for
// the other pages.
std::unique_ptr<PageCodec> WriteNewOfficeEncryption(MutableBytes page0,
                                                    const std::string& password);

}  // namespace accessdb::crypto
