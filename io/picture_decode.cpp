#include "io/picture_decode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "io/bmp_check.h"
#include "io/jpeg_scans.h"
#include "io/png_decode.h"


namespace vorbix {

namespace {

// Decoder warnings (and the notes libpng gives through Qt) of the current thread while one of its decodes runs.
thread_local QStringList* capturedWarnings = nullptr;
QtMessageHandler previousHandler = nullptr;

// Called from inside Qt's readers, which do not unwind: an exception thrown through them would
// leave their locks taken. A warning that finds no memory to be kept is dropped.
void CaptureWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) noexcept {
    if (capturedWarnings && (type == QtWarningMsg || type == QtInfoMsg)) {
        try {
            capturedWarnings->append(message);
        } catch (...) {
        }
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

QString TooLarge(qint64 width, qint64 height, std::int64_t maxPixels) {
    return QString("picture too large: %1 × %2 (at most %3 pixels)").arg(width).arg(height).arg(maxPixels);
}

Error Refuse(const QString& reason) { return {"", 0, reason.toStdString()}; }

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Opens a regular file for reading. The type is checked before opening (a FIFO would block)
// and again on the open descriptor, in case the name was swapped in between.
// The error's text is the reason alone; the caller names the path.
Status OpenRegularFile(const std::string& path, QFile& file, qint64& size) {
    struct stat before {};
    if (stat(path.c_str(), &before) != 0) {
        const int error = errno;
        return Error{path, error, error == ENOENT ? "no such file" : "cannot open: " + SystemReason(error).toStdString()};
    }
    if (!S_ISREG(before.st_mode)) return Error{path, 0, "not a regular file"};
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return Error{path, error, "cannot open: " + SystemReason(error).toStdString()};
    }
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        close(fd);
        return Error{path, 0, "not a regular file"};
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        return Error{path, 0, "cannot open: " + file.errorString().toStdString()};
    }
    size = opened.st_size;
    return {};
}

// Indexed pictures may use indexes past their colour table; give those a colour, black.
void CompleteColourTable(QImage& image) {
    const int entries = image.format() == QImage::Format_Indexed8 ? 256 : image.depth() == 1 ? 2 : 0;
    if (entries == 0 || image.colorCount() >= entries) return;
    QList<QRgb> table = image.colorTable();
    table.resize(entries, qRgb(0, 0, 0));
    image.setColorTable(table);
}

// A progressive JPEG passes over every block once a scan. Cameras and encoders write up to a
// dozen or two; a file that repeats its scans thousands of times would decode for minutes.
constexpr int kMaxJpegScans = 100;
// And scans times pixels: 16 scans of the largest picture, 100 of one of 40 megapixels.
constexpr std::int64_t kMaxJpegScanPixels = 16 * kMaxPicturePixels;

// Larger files are refused before they are read: the largest picture as an uncompressed BMP
// takes 768 MB.
constexpr qint64 kMaxFileBytes = 1LL << 30;

QString JpegScanProblem(std::span<const std::uint8_t> bytes, const QSize& size) {
    const int scans = JpegScanCount(bytes);
    const std::int64_t pixels = static_cast<std::int64_t>(size.width()) * size.height();
    const std::int64_t allowed = std::min<std::int64_t>(kMaxJpegScans, kMaxJpegScanPixels / std::max<std::int64_t>(pixels, 1));
    if (scans <= allowed) return {};
    return QString("a JPEG of %1 scans; at most %2 are read for a picture of %3 × %4 (a camera writes a dozen or two)")
        .arg(scans)
        .arg(allowed)
        .arg(size.width())
        .arg(size.height());
}

// JPEG and BMP through Qt's readers. Any other format Qt knows is refused by name: its reader
// cannot tell a cut-short file from a whole one.
// The largest DCT reduction of size that still covers cover, as the decoder rounds (up); size
// itself when none applies.
QSize ReducedToCover(const QSize& size, Cover cover) {
    if (cover.width <= 0 || cover.height <= 0) return size;
    for (const int denominator : {8, 4, 2}) {
        const QSize reduced((size.width() + denominator - 1) / denominator, (size.height() + denominator - 1) / denominator);
        if (reduced.width() >= cover.width && reduced.height() >= cover.height) return reduced;
    }
    return size;
}

Result<Picture> DecodeWithQt(std::span<const std::uint8_t> bytes, std::int64_t maxPixels, Cover cover) {
    const QByteArray view = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer device;
    device.setData(view);
    device.open(QIODevice::ReadOnly);
    // Qt's readers speak through warnings, also while reading the header; keep them for the message.
    WarningCapture capture;
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(static_cast<int>(maxPixels * 4 / (1024 * 1024)) + 1);
    const bool jpeg = LooksLikeJpeg(bytes), bmp = LooksLikeBmp(bytes);
    if (!reader.canRead() || (!jpeg && !bmp)) {
        const QString damage = DamageIn(capture.warnings);
        if (!damage.isEmpty()) return Refuse(damage);
        const QString format = QString(reader.format()).toUpper();
        return Refuse((format.isEmpty() ? QString("not a picture format this program reads")
                                        : QString("%1 is a format this program does not read").arg(format)) +
                      " (it reads JPEG, PNG and BMP)");
    }
    const QString format = jpeg ? "JPEG" : "BMP";
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > maxPixels)
        return Refuse(TooLarge(size.width(), size.height(), maxPixels));
    if (jpeg && size.isValid()) {
        if (const QString problem = JpegScanProblem(bytes, size); !problem.isEmpty()) return Refuse(problem);
        // Asked for exactly a DCT scale's size, Qt's reader scales inside the decoder and no more.
        if (const QSize reduced = ReducedToCover(size, cover); reduced != size) reader.setScaledSize(reduced);
    }

    QImage image = reader.read();
    if (image.isNull()) {
        QString reason = DamageIn(capture.warnings);
        if (reason.isEmpty()) reason = capture.warnings.isEmpty() ? reader.errorString() : capture.warnings.last().trimmed();
        return Refuse(QString("cannot decode this %1 file: %2").arg(format, reason));
    }
    if (const QString damage = DamageIn(capture.warnings); !damage.isEmpty()) return Refuse(damage);

    CompleteColourTable(image);
    image = image.convertToFormat(QImage::Format_BGR888);
    if (image.isNull()) return Refuse("not enough memory to convert the picture");
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(picture.Row(y), image.constScanLine(y), static_cast<std::size_t>(image.width()) * 3);
    return picture;
}

Result<Picture> Decode(std::span<const std::uint8_t> bytes, std::int64_t maxPixels, Cover cover) {
    if (bytes.empty()) return Refuse("the file is empty");
    if (LooksLikePng(bytes)) return DecodePng(bytes, maxPixels);
    if (const std::string problem = BmpProblem(bytes, maxPixels); !problem.empty()) return Error{"", 0, problem};
    return DecodeWithQt(bytes, maxPixels, cover);
}

}  // namespace

Result<Picture> DecodePicture(std::span<const std::uint8_t> bytes, std::int64_t maxPixels, Cover cover) {
    try {
        return Decode(bytes, maxPixels, cover);
    } catch (const std::bad_alloc&) {
        return Refuse("not enough memory to decode the picture");
    }
}

PictureSize ClaimedSize(const std::string& path) {
    QFile file;
    qint64 size = 0;
    if (!OpenRegularFile(path, file, size)) return {};
    // The readers warn of what the decode refuses later with a message of its own.
    const WarningCapture quiet;
    const QSize claimed = QImageReader(&file).size();
    return claimed.isValid() ? PictureSize{claimed.width(), claimed.height()} : PictureSize{};
}

Result<Picture> ReadPicture(const std::string& path, std::int64_t maxPixels, Cover cover) {
    auto named = [&](const Error& error) { return Error{path, error.code, path + ": " + error.text}; };
    QFile file;
    qint64 size = 0;
    if (Status opened = OpenRegularFile(path, file, size); !opened) return named(opened.Failure());
    if (size == 0) return named(Refuse("the file is empty"));
    if (size > kMaxFileBytes)
        return named(Refuse(QString("a file of %1 bytes; pictures of at most %2 bytes are read").arg(size).arg(kMaxFileBytes)));
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return named(Refuse("not enough memory to read the file"));
    }
    const qint64 read = file.read(reinterpret_cast<char*>(bytes.data()), size);
    if (read < 0) return named(Refuse("cannot read: " + file.errorString()));
    bytes.resize(static_cast<std::size_t>(read));  // a file that shrank meanwhile is judged by what was read
    Result<Picture> decoded = DecodePicture(bytes, maxPixels, cover);
    if (!decoded) return named(decoded.Failure());
    return decoded;
}

}  // namespace vorbix
