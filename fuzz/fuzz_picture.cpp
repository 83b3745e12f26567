// Arbitrary bytes as a picture file, through the whole road a user's file takes: decode, load
// into a session, convert, encode the screen files and the preview BMP.
// The first byte chooses the mode (bits 0-1), "Resize" (bit 2) and the method (bits 3-7);
// the rest is the file.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>

#include "dither/methods.h"
#include "export/bmp_file.h"
#include "export/screen_file.h"
#include "pipeline/session.h"
#include "ui/picture_file.h"

namespace {

using vorbix::Session;

// Small enough to keep each run quick; the real limit is checked by the same code.
constexpr qint64 kFuzzMaxPixels = 1 << 20;

// A session with mode, "Resize" and method chosen, as it stands before the load; made once per
// choice, then copied for every run.
const Session& PreparedSession(int choice) {
    const int mode = (choice & 3) % 3;
    const bool resize = (choice & 4) == 0;
    const int method = (choice >> 3) % vorbix::kMethodCount + 1;
    static std::map<std::tuple<int, bool, int>, Session> prepared;
    auto [at, made] = prepared.try_emplace({mode, resize, method});
    if (made) {
        at->second.SetResize(resize);
        at->second.Option2_Click(mode);
        at->second.Option1_Click(method);
    }
    return at->second;
}

QString PicturePath() {
    static QTemporaryDir dir;
    static const QString path = dir.filePath("input.jpg");
    return path;
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

    const QString path = PicturePath();
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) std::abort();
    if (std::fwrite(data + 1, 1, size - 1, file) != size - 1) std::abort();
    std::fclose(file);

    Session session = before;
    const QString error = LoadPictureFile(session, path, kFuzzMaxPixels);
    if (!error.isEmpty()) {
        // A refused file must leave the session as it was.
        if (!(session.Pic1() == before.Pic1() && session.Pic2() == before.Pic2())) std::abort();
        return 0;
    }
    const ScreenImage screen = EncodeScreen(mode, session.WorkSurface(mode), session.State().paletteColors);
    const auto tim = ScreenTimBytes(mode, screen, session.State().paletteColors);
    const auto bmp = EncodeBmp24(session.Pic2());
    if (tim.size() != kTimHeaderBytes + kScreenBytes || bmp.size() != 54 + 512 * 480 * 3) std::abort();
    return 0;
}
