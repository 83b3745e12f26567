#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "dither/methods.h"
#include "io/screen_file.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

// Smooth light, hard edges and hashed grain, so every method's rules get exercised.
Picture Fixture() {
    Picture p(300, 220);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
            h = (h ^ (h >> 13)) * 1274126177u;
            const int grain = static_cast<int>(h >> 28) - 8;
            const int edge = (x / 37 + y / 29) % 2 ? 40 : 0;
            auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
            p.SetPixel(x, y, MakeColor(clamp(x * 255 / 300 + grain), clamp(y * 255 / 220 - edge + grain),
                                       clamp((x + y) * 255 / 520 + edge + grain)));
        }
    return p;
}

std::uint64_t Fnv(std::uint64_t h, const std::uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return h;
}

// Digests of the screen image and the preview after a load and a method click, per mode and
// method. They pin every byte the conversions produce, so a speed-up that changes one shows here.
const std::uint64_t kGolden[3][kMethodCount] = {
#include "golden_digests.inc"
};

TEST(Golden, EveryModeAndMethodProducesTheSameBytes) {
    const Picture fixture = Fixture();
    const bool print = std::getenv("VORBIX_PRINT_GOLDEN") != nullptr;
    for (int mode = 0; mode < 3; ++mode) {
        if (print) std::printf("    {");
        for (int method = 1; method <= kMethodCount; ++method) {
            Session s;
            s.Load(fixture);
            s.ChooseMode(static_cast<TvcMode>(mode));
            s.ChooseMethod(method);
            const ScreenImage image = EncodeScreen(static_cast<TvcMode>(mode), s.Surface(static_cast<TvcMode>(mode)),
                                                   s.PaletteInUse());
            std::uint64_t h = Fnv(1469598103934665603ull, image.data(), image.size());
            h = Fnv(h, s.Preview().Data(), s.Preview().ByteCount());
            if (print) std::printf("0x%016llxull,%s", static_cast<unsigned long long>(h), method % 4 == 0 ? "\n     " : " ");
            else EXPECT_EQ(h, kGolden[mode][method - 1]) << "mode " << mode << " method " << method;
        }
        if (print) std::printf("},\n");
    }
}

}  // namespace
}  // namespace vorbix
