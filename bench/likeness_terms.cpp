// Writes what the likeness is made of for one photo and pictures of it, so that weights, window
// and pooling can be tried on the eye panel (bench/eye_panel/tune.py) without converting again.
// Usage: vorbix_likeness_terms PHOTO SHOWN.bmp OUT
// PHOTO is loaded as the program loads it (resized to 512 x 480, no slider moved) and SHOWN is
// the machine's picture. OUT gets seven planes of 32-bit floats, row after row: the eye-blurred
// CIELAB L, a, b of the source view, the same of SHOWN, and each pixel's S-CIELAB ΔE00. The
// program's likeness and ΔE of the pair are printed, to check the planes are the ones it scores.

#include <QCoreApplication>
#include <cstdio>
#include <fstream>
#include <vector>

#include "core/cielab.h"
#include "core/delta_e.h"
#include "core/eye_filter.h"
#include "core/likeness.h"
#include "io/picture_decode.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

int Run(const char* photoPath, const char* shownPath, const char* outPath) {
    const auto photo = ReadPicture(photoPath, kMaxPicturePixels, Cover{kPreviewWidth, kPreviewHeight});
    const auto shown = ReadPicture(shownPath);
    if (!photo || !shown) {
        std::fprintf(stderr, "cannot read %s\n", !photo ? photoPath : shownPath);
        return 1;
    }
    Session session;
    session.Load(photo.Value());
    session.Commit();
    const Picture& reference = session.SourceView();
    if (reference.Width() != shown.Value().Width() || reference.Height() != shown.Value().Height()) {
        std::fprintf(stderr, "%s is not the source view's size\n", shownPath);
        return 1;
    }
    const int w = reference.Width(), h = reference.Height();
    const std::size_t size = static_cast<std::size_t>(w) * h;
    std::vector<float> planes(7 * size);
    EyeBlurInStrips(reference, shown.Value(), kTvcSamplesPerDegree, [&](const BlurredStrip& strip) {
        for (int y = strip.y0; y < strip.y1; ++y)
            for (int x = 0; x < w; ++x) {
                Lab lab[2];
                for (int p = 0; p < 2; ++p) {
                    lab[p] = LabOfOpponent({strip.Row(p, 0, y)[x], strip.Row(p, 1, y)[x], strip.Row(p, 2, y)[x]});
                    const std::size_t at = static_cast<std::size_t>(y) * w + x;
                    planes[(3 * p + 0) * size + at] = float(lab[p].L);
                    planes[(3 * p + 1) * size + at] = float(lab[p].a);
                    planes[(3 * p + 2) * size + at] = float(lab[p].b);
                }
                planes[6 * size + static_cast<std::size_t>(y) * w + x] = float(Ciede2000(lab[0], lab[1]));
            }
    });
    std::ofstream out(outPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(planes.data()), static_cast<std::streamsize>(planes.size() * sizeof(float)));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", outPath);
        return 1;
    }
    std::printf("%d %d likeness %.4f delta_e %.4f\n", w, h, LikenessScore(reference, shown.Value()),
                DeltaEScore(reference, shown.Value()));
    return 0;
}

}  // namespace
}  // namespace vorbix

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PHOTO SHOWN.bmp OUT\n", argv[0]);
        return 2;
    }
    return vorbix::Run(argv[1], argv[2], argv[3]);
}
