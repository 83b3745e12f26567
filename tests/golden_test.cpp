#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/tvc.h"
#include "dither/methods.h"
#include "draw/screen_render.h"
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
            p.SetPixel(x, y, MakeColour(clamp(x * 255 / 300 + grain), clamp(y * 255 / 220 - edge + grain),
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
const std::uint64_t kGolden[3][kAllMethodCount] = {
#include "golden_digests.inc"
};

// The screens the digests were taken of, zlib-packed one after another (mode by mode, method by
// method), so that a failure names the first byte or pixel that changed rather than a hash.
const char* const kStoredScreens = VORBIX_SOURCE_DIR "/tests/data/golden_screens.z";

struct Result {
    ScreenImage screen;
    Picture preview;
    Palette palette;
};

Result Convert(TvcMode mode, int method) {
    Session s;
    s.Load(Fixture());
    s.ChooseMode(mode);
    s.ChooseMethod(method);
    return {EncodeScreen(mode, s.Surface(mode), s.PaletteInUse()), s.Preview(), s.PaletteInUse()};
}

std::vector<ScreenImage> StoredScreens() {
    QFile file(kStoredScreens);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = qUncompress(file.readAll());
    std::vector<ScreenImage> screens(static_cast<std::size_t>(bytes.size()) / kScreenBytes);
    for (std::size_t n = 0; n < screens.size(); ++n)
        std::copy_n(bytes.constData() + n * kScreenBytes, kScreenBytes, screens[n].begin());
    return screens;
}

std::string Rgb(ColourValue c) { return RgbText(EntryFromColour(c)); }

// The first byte of the screen that changed; or, when the screens agree, the first preview pixel
// that the stored screen, shown as the machine shows it, does not explain.
std::string FirstDifference(TvcMode mode, const Result& now, const ScreenImage& stored) {
    std::ostringstream text;
    const ModeInfo& info = ModeOf(mode);
    for (int i = 0; i < kScreenBytes; ++i)
        if (now.screen[i] != stored[i]) {
            const int row = i / kScreenRowBytes, first = (i % kScreenRowBytes) * info.pixelsPerByte;
            text << "screen byte " << i << " (row " << row << ", pixels " << first << ".." << first + info.pixelsPerByte - 1
                 << ") is " << int(now.screen[i]) << ", was " << int(stored[i]);
            return text.str();
        }
    const Picture shown = RenderScreenLikeThePreview(mode, stored, ColourBytesOf(mode, now.palette));
    auto atMachineLevels = [](ColourValue c) {
        auto level = [](int v) { return v == kChartNormalLevel ? kNormalLevel : v; };
        return MakeColour(level(GetRed(c)), level(GetGreen(c)), level(GetBlue(c)));
    };
    for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x)
            if (atMachineLevels(now.preview.Pixel(x, y)) != shown.Pixel(x, y)) {
                text << "screen unchanged; preview pixel (" << x << ", " << y << ") is " << Rgb(now.preview.Pixel(x, y))
                     << " where the screen shows " << Rgb(shown.Pixel(x, y));
                return text.str();
            }
    return "screen unchanged; the preview's colour levels changed";
}

TEST(Golden, EveryModeAndMethodProducesTheSameBytes) {
    const bool print = std::getenv("VORBIX_PRINT_GOLDEN") != nullptr;
    const std::vector<ScreenImage> stored = StoredScreens();
    QByteArray screens;
    for (const ModeInfo& mode : kModes) {
        if (print) std::printf("    {");
        for (const Method& method : AllMethods()) {
            const Result now = Convert(mode.mode, method.number);
            std::uint64_t h = Fnv(1469598103934665603ull, now.screen.data(), now.screen.size());
            h = Fnv(h, now.preview.Data(), now.preview.ByteCount());
            screens.append(reinterpret_cast<const char*>(now.screen.data()), kScreenBytes);
            if (print) {
                std::printf("0x%016llxull,%s", static_cast<unsigned long long>(h), method.number % 4 == 0 && method.number < kAllMethodCount ? "\n     " : " ");
                continue;
            }
            const std::size_t n = static_cast<std::size_t>(mode.mode) * kAllMethodCount + (method.number - 1);
            if (h == kGolden[static_cast<int>(mode.mode)][method.number - 1]) continue;
            ADD_FAILURE() << mode.caption << ", method " << method.number << " \"" << method.caption << "\": "
                          << (n < stored.size() ? FirstDifference(mode.mode, now, stored[n]) : "no stored screen to compare");
        }
        if (print) std::printf("},\n");
    }
    if (print) {
        QFile file(kStoredScreens);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << kStoredScreens;
        file.write(qCompress(screens, 9));
    }
}

// The stored screens are those the digests were taken of.
TEST(Golden, StoredScreensMatchTheDigestsScreens) {
    const std::vector<ScreenImage> stored = StoredScreens();
    ASSERT_EQ(stored.size(), 3u * kAllMethodCount) << kStoredScreens;
    EXPECT_EQ(Convert(TvcMode::Graphics4, 2).screen, stored[kAllMethodCount + 1]) << "Graphics 4, \"Floyd\"";
}

}  // namespace
}  // namespace vorbix
