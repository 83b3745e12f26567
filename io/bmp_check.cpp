#include "io/bmp_check.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vorbix {

namespace {

constexpr std::uint32_t kRle8 = 1, kRle4 = 2;

// The first bytes of a BMP: file header and the start of the info header.
class BmpHead {
public:
    explicit BmpHead(std::span<const std::uint8_t> bytes) {
        std::memcpy(bytes_.data(), bytes.data(), std::min(bytes.size(), bytes_.size()));
        valid_ = bytes.size() >= 26 && LooksLikeBmp(bytes) && (InfoSize() == 12 || InfoSize() >= 40);
        if (valid_ && InfoSize() >= 40) valid_ = bytes.size() >= 34;
    }
    bool Valid() const { return valid_; }
    std::uint32_t PixelOffset() const { return U32(10); }
    std::uint32_t InfoSize() const { return U32(14); }
    std::int64_t Width() const { return InfoSize() == 12 ? U16(18) : static_cast<std::int32_t>(U32(18)); }
    // Negative for a picture stored top row first.
    std::int64_t Height() const { return InfoSize() == 12 ? U16(20) : static_cast<std::int32_t>(U32(22)); }
    int Bits() const { return InfoSize() == 12 ? U16(24) : U16(28); }
    std::uint32_t Compression() const { return InfoSize() == 12 ? 0 : U32(30); }

private:
    std::uint16_t U16(int at) const { return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8); }
    std::uint32_t U32(int at) const { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }
    std::array<std::uint8_t, 64> bytes_{};
    bool valid_ = false;
};

std::string Number(std::int64_t n) { return std::to_string(n); }

// Whether run-length coded pixels reach their end-of-picture code inside the file. Codes: a
// count and a value; 0 0 end of row; 0 1 end of picture; 0 2 dx dy a jump; 0 n, n pixels as they
// are, padded to a whole 16-bit word.
bool RunLengthCodesEnd(std::span<const std::uint8_t> codes, bool fourBits) {
    std::size_t at = 0;
    while (at + 1 < codes.size()) {
        const std::uint8_t count = codes[at], value = codes[at + 1];
        at += 2;
        if (count != 0) continue;
        if (value == 1) return true;
        if (value == 0) continue;
        if (value == 2) {
            at += 2;
            continue;
        }
        const std::size_t bytes = fourBits ? (value + 1) / 2 : value;
        at += (bytes + 1) / 2 * 2;
    }
    return false;
}

}  // namespace

bool LooksLikeBmp(std::span<const std::uint8_t> bytes) { return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

std::string BmpProblem(std::span<const std::uint8_t> bytes, std::int64_t maxPixels) {
    const BmpHead bmp(bytes);
    if (!bmp.Valid()) return {};
    const std::int64_t width = bmp.Width(), height = std::abs(bmp.Height());
    if (width <= 0 || height == 0)
        return "BMP header gives an impossible size: " + Number(width) + " × " + Number(bmp.Height());
    if (width * height > maxPixels)
        return "picture too large: " + Number(width) + " × " + Number(height) + " (at most " + Number(maxPixels) + " pixels)";
    const std::uint32_t compression = bmp.Compression();
    const int bits = bmp.Bits();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return "BMP with " + Number(bits) + " bits a pixel, a depth this program does not read";
    if (compression > 3) return "BMP compression " + Number(compression) + ", a kind this program does not read";
    const std::int64_t fileSize = static_cast<std::int64_t>(bytes.size());
    if (bmp.PixelOffset() >= bytes.size())
        return "truncated BMP: its pixels start at byte " + Number(bmp.PixelOffset()) + " but the file has " + Number(fileSize);
    if (compression == kRle8 || compression == kRle4) {
        if (!RunLengthCodesEnd(bytes.subspan(bmp.PixelOffset()), compression == kRle4))
            return "truncated BMP: its run-length coded pixels stop before their end code";
        return {};
    }
    const std::int64_t rowBytes = ((width * bits + 31) / 32) * 4;
    const std::int64_t needed = static_cast<std::int64_t>(bmp.PixelOffset()) + rowBytes * height;
    if (needed > fileSize) return "truncated BMP: its pixels need " + Number(needed) + " bytes but the file has " + Number(fileSize);
    return {};
}

}  // namespace vorbix
