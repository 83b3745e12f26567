// Arbitrary bytes as a picture file, through the whole road a user's file takes: decode from
// memory, load into a document, convert, encode the screen files and the preview BMP.
// The first byte chooses the mode (bits 0-1), "Resize" (bit 2) and the method (bits 3-7);
// the rest is the file.
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <tuple>

#include "dither/methods.h"
#include "io/bmp_file.h"
#include "io/picture_decode.h"
#include "io/screen_file.h"
#include "pipeline/session.h"

namespace {

using vorbix::Session;

// Small enough to keep each run quick; the real limit is checked by the same code.
constexpr std::int64_t kFuzzMaxPixels = 1 << 20;

// A document with mode, "Resize" and method chosen, as it stands before the load; made once per
// choice, then copied for every run.
const Session& PreparedSession(int choice) {
    const int mode = (choice & 3) % 3;
    const bool resize = (choice & 4) == 0;
    const int method = (choice >> 3) % vorbix::kAllMethodCount + 1;
    static std::map<std::tuple<int, bool, int>, Session> prepared;
    auto [at, made] = prepared.try_emplace({mode, resize, method});
    if (made) {
        at->second.SetResize(resize);
        at->second.ChooseMode(static_cast<vorbix::TvcMode>(mode));
        at->second.ChooseMethod(method);
    }
    return at->second;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorbix;
    if (size == 0) return 0;
    const Session& before = PreparedSession(data[0]);
    const TvcMode mode = before.Mode();

    const Result<Picture> decoded = DecodePicture(std::span(data + 1, size - 1), kFuzzMaxPixels);
    if (!decoded) {
        if (decoded.Failure().text.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    Session session = before;
    session.Load(decoded.Value());
    const ScreenImage screen = EncodeScreen(mode, session.Surface(mode), session.PaletteInUse());
    const auto tim = ScreenTimBytes(mode, screen, session.PaletteInUse());
    const auto bmp = EncodeBmp24(session.Preview());
    if (tim.size() != kTimFileBytes || bmp.size() != 54 + 512 * 480 * 3) std::abort();
    return 0;
}
