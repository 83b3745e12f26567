#include "io/png_file.h"

#include <QBuffer>
#include <QHash>
#include <QImage>

#include "io/file_write.h"

namespace vorbix {

namespace {

constexpr int kPaletteSize = 256;

QImage WithPaletteWherePossible(const QImage& rgb) {
    QHash<QRgb, int> indexOf;
    QList<QRgb> table;
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    for (int y = 0; y < rgb.height(); ++y) {
        uchar* line = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb colour = rgb.pixel(x, y);
            auto found = indexOf.constFind(colour);
            if (found == indexOf.constEnd()) {
                if (table.size() == kPaletteSize) return rgb;
                found = indexOf.insert(colour, static_cast<int>(table.size()));
                table.append(colour);
            }
            line[x] = static_cast<uchar>(*found);
        }
    }
    indexed.setColorTable(table);
    return indexed;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Picture& picture) {
    const QImage image(picture.Data(), picture.Width(), picture.Height(), picture.Width() * 3, QImage::Format_BGR888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!WithPaletteWherePossible(image).save(&buffer, "PNG")) return {};
    return {bytes.begin(), bytes.end()};
}

Status WritePng(const std::string& path, const Picture& picture) {
    const std::vector<std::uint8_t> bytes = EncodePng(picture);
    if (bytes.empty()) return Error{path, 0, "cannot write " + path + ": the PNG encoder failed"};
    return WriteFileWhole(path, bytes);
}

}  // namespace vorbix
