#pragma once
// The key bytes of one decoded index entry. A decoded leaf page holds hundreds of entries, and
// most keys are short (a Long is 5 bytes, a Date/Time 9, a short text some 20): keeping keys of
// up to kInline bytes inside the entry saves one heap allocation per entry, which is what
// decoding a page otherwise spends most of its time on. Longer keys (up to an index's 510
// bytes) live on the heap.
#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace accessdb {

class EntryKey {
  public:
    static constexpr std::size_t kInline = 30;

    EntryKey() = default;
    EntryKey(std::span<const std::uint8_t> bytes) { Assign(bytes); }  // NOLINT: implicit by design
    EntryKey(const std::vector<std::uint8_t>& bytes) : EntryKey(std::span(bytes)) {}  // NOLINT
    EntryKey(const EntryKey& other) { Assign(other.span()); }
    EntryKey(EntryKey&& other) noexcept { MoveFrom(other); }
    EntryKey& operator=(const EntryKey& other) {
        if (this != &other)
            Assign(other.span());
        return *this;
    }
    EntryKey& operator=(EntryKey&& other) noexcept {
        if (this != &other) {
            heap_.reset();
            MoveFrom(other);
        }
        return *this;
    }
    EntryKey& operator=(const std::vector<std::uint8_t>& bytes) {
        Assign(bytes);
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const std::uint8_t* data() const { return heap_ ? heap_.get() : inline_; }
    std::uint8_t* data() { return heap_ ? heap_.get() : inline_; }
    const std::uint8_t* begin() const { return data(); }
    const std::uint8_t* end() const { return data() + size_; }
    std::uint8_t operator[](std::size_t i) const { return data()[i]; }
    std::span<const std::uint8_t> span() const { return {data(), size_}; }
    operator std::span<const std::uint8_t>() const { return span(); }  // NOLINT
    std::vector<std::uint8_t> ToVector() const { return {begin(), end()}; }

    // Sets the length; the bytes are then written through data(). Bytes kept are not
    // guaranteed (decoding writes every byte anyway).
    void Resize(std::size_t size) {
        if (size > kInline) {
            if (!heap_ || size > capacity_) {
                heap_ = std::make_unique_for_overwrite<std::uint8_t[]>(size);
                capacity_ = static_cast<std::uint16_t>(size);
            }
        } else {
            heap_.reset();
            capacity_ = 0;
        }
        size_ = static_cast<std::uint16_t>(size);
    }
    // Heap bytes this key holds (for memory estimates).
    std::size_t HeapBytes() const { return heap_ ? capacity_ : 0; }

    friend bool operator==(const EntryKey& a, const EntryKey& b) {
        return Equal(a.span(), b.span());
    }
    friend bool operator==(const EntryKey& a, const std::vector<std::uint8_t>& b) {
        return Equal(a.span(), b);
    }
    // Byte-wise, unsigned, a prefix first: index order.
    friend std::strong_ordering operator<=>(const EntryKey& a, const EntryKey& b) {
        const std::size_t common = std::min(a.size_, b.size_);
        if (common > 0) {
            const int c = std::memcmp(a.data(), b.data(), common);
            if (c != 0)
                return c < 0 ? std::strong_ordering::less : std::strong_ordering::greater;
        }
        return a.size_ <=> b.size_;
    }

  private:
    static bool Equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
        return a.size() == b.size() &&
               (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
    }
    void Assign(std::span<const std::uint8_t> bytes) {
        Resize(bytes.size());
        if (!bytes.empty())
            std::memcpy(data(), bytes.data(), bytes.size());
    }
    void MoveFrom(EntryKey& other) {
        size_ = other.size_;
        capacity_ = other.capacity_;
        if (other.heap_) {
            heap_ = std::move(other.heap_);
        } else {
            std::memcpy(inline_, other.inline_, size_);
        }
        other.size_ = 0;
        other.capacity_ = 0;
    }

    std::unique_ptr<std::uint8_t[]> heap_;
    std::uint16_t size_ = 0;
    std::uint16_t capacity_ = 0;
    std::uint8_t inline_[kInline];
};

}  // namespace accessdb
