#include "import/NamedEncoding.h"

#include "import/CsvSplitter.h"
#include "import/ImportError.h"
#include "textcodec/SystemDecoder.h"

namespace quillmere {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string WithoutBom(std::string text) {
    if (std::string_view(text).starts_with(kUtf8Bom)) {
        text.erase(0, kUtf8Bom.size());
    }
    return text;
}

[[noreturn]] void ThrowNotText(const std::string& name, const std::string& filePath,
                               const textcodec::Decoded& decoded) {
    if (!decoded.badOffset) {
        // The system (Windows) does not say where the bytes are.
        throw ImportError("The file " + filePath + " is not " + name +
                          " text: some of its bytes cannot be read in " + name + ".");
    }
    // The text decoded so far ends where the bad bytes start, so its lines count the file's.
    throw ImportError("The file " + filePath + " is not " + name + " text: the bytes on line " +
                      std::to_string(LineNumberAt(decoded.text, decoded.text.size())) +
                      " (at byte " + std::to_string(*decoded.badOffset) + ") cannot be read in " +
                      name + ".");
}

}  // namespace

bool IsKnownEncoding(const std::string& name) {
    return textcodec::SystemDecoder::ForName(name).has_value();
}

std::string DecodeNamedEncoding(std::string_view bytes, const std::string& name,
                                const std::string& filePath) {
    if (bytes.empty()) {
        return {};
    }
    std::optional<textcodec::SystemDecoder> decoder = textcodec::SystemDecoder::ForName(name);
    if (!decoder) {
        throw ImportError("The encoding " + name + " is not known on this system (reading " +
                          filePath + ").");
    }
    textcodec::Decoded decoded = decoder->Decode(bytes);
    if (!decoded.complete) {
        ThrowNotText(name, filePath, decoded);
    }
    return WithoutBom(std::move(decoded.text));
}

}  // namespace quillmere
