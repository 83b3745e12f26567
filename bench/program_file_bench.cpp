#include <benchmark/benchmark.h>

#include <QDir>
#include <algorithm>
#include <cstdlib>

#include "dither/methods.h"
#include "io/cas_file.h"
#include "io/picture_decode.h"
#include "io/screen_file.h"
#include "io/tape_sound.h"
#include "io/zx0.h"
#include "pipeline/session.h"
#include "tests/tvc_machine.h"

namespace vorbix {
namespace {

struct Screen {
    ScreenImage image;
    ColourBytes colours;
};

// Every photo in the folder converted by every method in the mode, with the default swatches.
std::vector<Screen> ConvertedScreens(const QDir& photos, TvcMode mode) {
    std::vector<Screen> screens;
    for (const QString& name : photos.entryList({"*.jpg"}, QDir::Files, QDir::Name)) {
        const Result<Picture> picture = ReadPicture(photos.filePath(name).toStdString());
        if (!picture) continue;
        for (int method = 1; method <= kMethodCount; ++method) {
            Session session;
            session.ChooseMode(mode);
            session.ChooseMethod(method);
            session.Load(picture.Value());
            screens.push_back({EncodeScreen(mode, session.Surface(mode), session.PaletteInUse()),
                               ColourBytesOf(mode, session.PaletteInUse())});
        }
    }
    return screens;
}

// Tape time of the raw and the packed program, means over all the screens; the packing time is
// what is timed. The unpacking runs on the tests' Z80 model: T-states from the call to the key wait.
void ProgramTapeTime(benchmark::State& bench, const std::string& folder, TvcMode mode) {
    const std::vector<Screen> screens = ConvertedScreens(QDir(QString::fromStdString(folder)), mode);
    const std::span<const std::uint8_t> first(screens.front().image.data(), kScreenRows * kScreenRowBytes);
    for (auto _ : bench) benchmark::DoNotOptimize(PackZx0(first));
    double raw = 0, packed = 0, tStates = 0, longest = 0, worstRatio = 0;
    for (const Screen& screen : screens) {
        const auto rawFile = BuildCasProgram(mode, screen.image, screen.colours, CasPacking::Raw);
        const auto packedFile = BuildCasProgram(mode, screen.image, screen.colours, CasPacking::Packed);
        const double rawSeconds = TapeSeconds(rawFile), packedSeconds = TapeSeconds(packedFile);
        raw += rawSeconds;
        packed += std::min(rawSeconds, packedSeconds);
        worstRatio = std::max(worstRatio, packedSeconds / rawSeconds);
        TvcMachine machine(packedFile);
        const int usr = kCasLoadAddress + packedFile[kCasHeaderBytes] + 1;
        if (!machine.Call(usr).empty() || !machine.atKeyWait) bench.SkipWithError("the Z80 model failed");
        const double t = static_cast<double>(machine.atKeyWait->tStates);
        tStates += t;
        longest = std::max(longest, t);
    }
    const double n = static_cast<double>(screens.size());
    bench.counters["screens"] = n;
    bench.counters["raw_s"] = raw / n;
    bench.counters["packed_s"] = packed / n;
    bench.counters["packed/raw"] = packed / raw;
    bench.counters["worst_packed/raw"] = worstRatio;
    bench.counters["unpack_Tstates"] = tStates / n;
    bench.counters["unpack_s_max"] = longest / TvcMachine::kClockHz;
}

// One case per mode over the JPEGs in the folder VORBIX_PHOTOS names.
const bool kRegistered = [] {
    const char* folder = std::getenv("VORBIX_PHOTOS");
    if (!folder) return false;
    for (const TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4, TvcMode::Graphics16}) {
        const std::string label = "BM_ProgramTapeTime/G" + std::to_string(ModeOf(mode).number);
        benchmark::RegisterBenchmark(label.c_str(), ProgramTapeTime, std::string(folder), mode)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    return true;
}();

}  // namespace
}  // namespace vorbix
