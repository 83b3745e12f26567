#include "cli/png_output.h"

#include <QImage>
#include <QSaveFile>

namespace vorbix {

QString WritePng(const QString& path, const Picture& picture) {
    const QImage image(picture.Data(), picture.Width(), picture.Height(), picture.Width() * 3, QImage::Format_BGR888);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return path + ": cannot write: " + file.errorString();
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return path + ": cannot write the PNG";
    }
    if (!file.commit()) return path + ": cannot write: " + file.errorString();
    return {};
}

}  // namespace vorbix
