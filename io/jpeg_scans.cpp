#include "io/jpeg_scans.h"

namespace vorbix {

namespace {

constexpr std::uint8_t kStartOfScan = 0xDA, kEndOfImage = 0xD9;

// Markers without a length: restarts, start of image and the temporary marker.
bool StandsAlone(std::uint8_t marker) { return (marker >= 0xD0 && marker <= 0xD8) || marker == 0x01; }

}  // namespace

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

int JpegScanCount(std::span<const std::uint8_t> bytes) {
    int scans = 0;
    std::size_t at = 2;  // after the start of image
    while (at + 1 < bytes.size()) {
        if (bytes[at] != 0xFF) {
            ++at;  // stray bytes between segments
            continue;
        }
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        at += 2;
        if (marker == kEndOfImage) break;
        if (StandsAlone(marker) || marker == 0x00) continue;
        if (at + 1 >= bytes.size()) break;
        at += (static_cast<std::size_t>(bytes[at]) << 8) | bytes[at + 1];
        if (marker != kStartOfScan) continue;
        ++scans;
        // The entropy-coded data runs to the next marker that is neither a stuffed zero nor a restart.
        while (at + 1 < bytes.size() &&
               !(bytes[at] == 0xFF && bytes[at + 1] != 0x00 && !(bytes[at + 1] >= 0xD0 && bytes[at + 1] <= 0xD7)))
            ++at;
    }
    return scans;
}

}  // namespace vorbix
