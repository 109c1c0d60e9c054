// RC4 key schedule and key stream.
#include "accessdb/Rc4.h"

#include <utility>

#include "accessdb/Bytes.h"
#include "accessdb/PageCodec.h"

namespace accessdb {

Rc4::Rc4(std::span<const std::uint8_t> key) {
    for (int k = 0; k < 256; ++k)
        state_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
    std::uint8_t j = 0;
    for (std::size_t k = 0; k < 256; ++k) {
        j = static_cast<std::uint8_t>(j + state_[k] + key[k % key.size()]);
        std::swap(state_[k], state_[j]);
    }
}

void Rc4::Apply(std::span<std::uint8_t> bytes) {
    for (auto& b : bytes) {
        i_ = static_cast<std::uint8_t>(i_ + 1);
        j_ = static_cast<std::uint8_t>(j_ + state_[i_]);
        std::swap(state_[i_], state_[j_]);
        b ^= state_[static_cast<std::uint8_t>(state_[i_] + state_[j_])];
    }
}

void ApplyJetPageCipher(std::uint32_t databaseKey, std::uint32_t page,
                        std::span<std::uint8_t> bytes) {
    std::uint8_t key[4];
    StoreU32(key, databaseKey ^ page);
    Rc4 rc4(key);
    rc4.Apply(bytes);
}

namespace {

class JetPageCodec final : public PageCodec {
  public:
    explicit JetPageCodec(std::uint32_t databaseKey) : key_(databaseKey) {}
    void Decode(std::uint32_t page, MutableBytes bytes) const override {
        ApplyJetPageCipher(key_, page, bytes);
    }
    void Encode(std::uint32_t page, MutableBytes bytes) const override {
        ApplyJetPageCipher(key_, page, bytes);
    }

  private:
    std::uint32_t key_;
};

}  // namespace

std::unique_ptr<PageCodec> MakeJetPageCodec(std::uint32_t databaseKey) {
    return std::make_unique<JetPageCodec>(databaseKey);
}

}  // namespace accessdb
