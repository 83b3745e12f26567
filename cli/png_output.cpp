#include "cli/png_output.h"

#include <QHash>
#include <QImage>
#include <QSaveFile>

namespace vorbix {

namespace {

constexpr int kPaletteSize = 256;

// Sheets and screens hold few colours: as a palette PNG they take a third of the room, with
// every pixel kept. A picture of more colours stays as it is.
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

QString WritePng(const QString& path, const Picture& picture) {
    const QImage image(picture.Data(), picture.Width(), picture.Height(), picture.Width() * 3, QImage::Format_BGR888);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return path + ": cannot write: " + file.errorString();
    if (!WithPaletteWherePossible(image).save(&file, "PNG")) {
        file.cancelWriting();
        return path + ": cannot write the PNG";
    }
    if (!file.commit()) return path + ": cannot write: " + file.errorString();
    return {};
}

}  // namespace vorbix
