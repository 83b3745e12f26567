#include "ui/picture_file.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <cstring>

namespace vorbix {

namespace {

// Decoder warnings of the current thread while one of its decodes runs.
thread_local QStringList* capturedWarnings = nullptr;
QtMessageHandler previousHandler = nullptr;

void CaptureWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (capturedWarnings && type == QtWarningMsg) {
        capturedWarnings->append(message);
        return;
    }
    if (previousHandler) previousHandler(type, context, message);
}

struct WarningCapture {
    QStringList warnings;
    WarningCapture() {
        static const bool installed = [] {
            previousHandler = qInstallMessageHandler(CaptureWarnings);
            return true;
        }();
        (void)installed;
        capturedWarnings = &warnings;
    }
    ~WarningCapture() { capturedWarnings = nullptr; }
};

// The decoder's warnings that mean the picture is incomplete or damaged, as opposed to
// harmless ones such as stray bytes between markers.
QString DamageIn(const QStringList& warnings) {
    for (const QString& w : warnings)
        if ((w.contains("Corrupt JPEG data") && !w.contains("extraneous bytes")) || w.contains("premature end") ||
            w.contains("Premature end"))
            return w.trimmed();
    return {};
}

// Qt fills a short uncompressed BMP with black without a word; compare its pixel data with the file.
QString TruncatedBmp(const QByteArray& head, qint64 fileSize) {
    if (head.size() < 54 || !head.startsWith("BM")) return {};
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
    auto i32 = [&](int at) { return qFromLittleEndian<qint32>(head.constData() + at); };
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    const quint32 offset = u32(10);
    const quint32 infoSize = u32(14);
    if (infoSize < 40) return {};
    const qint64 width = i32(18);
    const qint64 height = qAbs(static_cast<qint64>(i32(22)));
    const int bits = u16(28);
    const quint32 compression = u32(30);
    if (compression != 0 && compression != 3) return {};
    if (width <= 0 || bits <= 0) return {};
    const qint64 rowBytes = ((width * bits + 31) / 32) * 4;
    const qint64 needed = static_cast<qint64>(offset) + rowBytes * height;
    if (needed > fileSize)
        return QString("truncated BMP: its pixels need %1 bytes but the file has %2").arg(needed).arg(fileSize);
    return {};
}

DecodedPicture Refuse(const QString& path, const QString& reason) { return {Picture(), path + ": " + reason}; }

}  // namespace

DecodedPicture DecodePictureFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return Refuse(path, "no such file");
    if (!info.isFile()) return Refuse(path, "not a regular file");
    if (info.size() == 0) return Refuse(path, "the file is empty");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Refuse(path, "cannot open: " + file.errorString());
    const QByteArray head = file.peek(64);
    if (const QString truncated = TruncatedBmp(head, info.size()); !truncated.isEmpty()) return Refuse(path, truncated);

    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    if (!reader.canRead()) return Refuse(path, "not a picture format this program reads");
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > kMaxPicturePixels)
        return Refuse(path, QString("picture too large: %1 × %2").arg(size.width()).arg(size.height()));

    WarningCapture capture;
    QImage image = reader.read();
    if (image.isNull()) {
        const QString damage = DamageIn(capture.warnings);
        return Refuse(path, damage.isEmpty() ? reader.errorString() : damage);
    }
    if (const QString damage = DamageIn(capture.warnings); !damage.isEmpty()) return Refuse(path, damage);

    image = image.convertToFormat(QImage::Format_BGR888);
    if (image.isNull()) return Refuse(path, "not enough memory to convert the picture");
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(picture.Row(y), image.constScanLine(y), static_cast<std::size_t>(image.width()) * 3);
    return {std::move(picture), {}};
}

}  // namespace vorbix
