#pragma once
// How the pages after page 0 are stored: the page file hands every page it reads to Decode and
// every page it writes to Encode, whole pages only. Jet page encoding and Office encryption are
// codecs; a plain file has none. Page 0 is never given to a codec (its mask is the page file's).
#include <cstdint>
#include <memory>

#include "accessdb/Bytes.h"

namespace accessdb {

class PageCodec {
  public:
    virtual ~PageCodec() = default;
    // The page as stored in the file becomes the page the engine reads, in place.
    virtual void Decode(std::uint32_t page, MutableBytes bytes) const = 0;
    // The page the engine wrote becomes the page stored in the file, in place.
    virtual void Encode(std::uint32_t page, MutableBytes bytes) const = 0;
};

// Jet 3/4 page encoding: RC4 keyed with the database key XOR the page number (no password).
std::unique_ptr<PageCodec> MakeJetPageCodec(std::uint32_t databaseKey);

}  // namespace accessdb
