// Arbitrary bytes as a headed screen file ("Open screen file", --render): what is accepted must
// draw as the machine shows it, at the preview's size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/tvc.h"
#include "draw/screen_render.h"
#include "io/screen_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const auto parsed = vorbix::ParseTimBytes(bytes);
    if (!parsed) return 0;
    const vorbix::ScreenFile& file = parsed.Value();
    const vorbix::Picture shown = vorbix::RenderScreenLikeThePreview(file.mode, file.image, file.registers);
    if (shown.Width() != vorbix::kPreviewWidth || shown.Height() != vorbix::kPreviewHeight) std::abort();
    return 0;
}
