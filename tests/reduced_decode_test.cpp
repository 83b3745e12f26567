#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>

#include "io/picture_decode.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

// A photo-like JPEG: light falling across it, hard edges, fine texture and noise.
std::string PhotoJpeg(const QTemporaryDir& dir, int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    std::srand(width);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int light = 255 * (x + y) / (width + height);
            // Edges a few pixels wide, as a lens draws them.
            const double edge = 0.5 + 0.5 * std::tanh(std::sin(x * 0.032 + y * 0.05) * 4);
            const int texture = static_cast<int>(30 * std::sin(x * 0.21) * std::cos(y * 0.13));
            const int noise = std::rand() % 8 - 4;
            image.setPixel(x, y, qRgb(std::clamp(light + texture + noise, 0, 255), std::clamp(static_cast<int>(edge * (160 - light / 2)) + 40 + noise, 0, 255),
                                      std::clamp(68 + texture / 2 + static_cast<int>(edge * 120), 0, 255)));
        }
    const QString path = dir.filePath(QString("photo-%1x%2.jpg").arg(width).arg(height));
    EXPECT_TRUE(image.save(path, "JPEG", 90));
    return path.toStdString();
}

// With "Resize" on, a large JPEG is decoded at a DCT scale that still covers the source view;
// the source view then differs from the full decode's by rounding only.
TEST(ReducedDecode, SourceViewDiffersFromTheFullDecodesByRoundingOnly) {
    QTemporaryDir dir;
    const struct {
        int width, height;
        int reducedWidth;  // the decode's width: 1/2, 1/4 or 1/8
    } cases[] = {{1100, 1000, 550}, {2100, 1940, 525}, {4200, 3900, 525}, {1000, 2000, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::string path = PhotoJpeg(dir, c.width, c.height);
        const Result<Picture> full = ReadPicture(path);
        const Result<Picture> reduced = ReadPicture(path, kMaxPicturePixels, Cover{kPreviewWidth, kPreviewHeight});
        ASSERT_TRUE(full.Ok() && reduced.Ok());
        EXPECT_EQ(reduced.Value().Width(), c.reducedWidth);
        Session fromFull, fromReduced;
        fromFull.Load(full.Value());
        fromReduced.Load(reduced.Value());
        const Picture &a = fromFull.SourceView(), &b = fromReduced.SourceView();
        long long sum = 0;
        int largest = 0;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width() * 3; ++x) {
                const int d = std::abs(a.Row(y)[x] - b.Row(y)[x]);
                sum += d;
                largest = std::max(largest, d);
            }
        // Measured: photos at 1/2 and 1/4 differ by 0.2 to 1.1 on average, 30 at most (fine
        // grass); these pictures by 0.5, 0.8 and 2.6 (at 1/8, where a DCT block's mean stands for
        // its 64 pixels and the 4:2:0 colour for 256), 16 at most.
        EXPECT_LE(static_cast<double>(sum) / (a.Width() * a.Height() * 3), 3.0);
        EXPECT_LE(largest, 32);
    }
}

}  // namespace
}  // namespace vorbix
