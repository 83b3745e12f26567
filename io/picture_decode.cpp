#include "io/picture_decode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <array>
#include <cerrno>
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

QString TooLarge(qint64 width, qint64 height, std::int64_t maxPixels) {
    return QString("picture too large: %1 × %2 (at most %3 pixels)").arg(width).arg(height).arg(maxPixels);
}

// The first bytes of a BMP: file header and the start of the info header.
class BmpHead {
public:
    explicit BmpHead(const QByteArray& head) {
        std::memcpy(bytes_.data(), head.constData(), std::min<std::size_t>(head.size(), bytes_.size()));
        valid_ = head.size() >= 26 && head.startsWith("BM") && (InfoSize() == 12 || InfoSize() >= 40);
        if (valid_ && InfoSize() >= 40) valid_ = head.size() >= 34;
    }
    bool Valid() const { return valid_; }
    quint32 PixelOffset() const { return U32(10); }
    quint32 InfoSize() const { return U32(14); }
    qint64 Width() const { return InfoSize() == 12 ? U16(18) : static_cast<qint32>(U32(18)); }
    // Negative for a picture stored top row first.
    qint64 Height() const { return InfoSize() == 12 ? U16(20) : static_cast<qint32>(U32(22)); }
    int Bits() const { return InfoSize() == 12 ? U16(24) : U16(28); }
    quint32 Compression() const { return InfoSize() == 12 ? 0 : U32(30); }

private:
    quint16 U16(int at) const { return qFromLittleEndian<quint16>(bytes_.data() + at); }
    quint32 U32(int at) const { return qFromLittleEndian<quint32>(bytes_.data() + at); }
    std::array<char, 64> bytes_{};
    bool valid_ = false;
};

// Qt fills a short uncompressed BMP with black without a word, and takes a header's size at its
// word; so the size is checked here, and the pixel data against the file's length.
QString BmpProblem(const QByteArray& head, qint64 fileSize, std::int64_t maxPixels) {
    const BmpHead bmp(head);
    if (!bmp.Valid()) return {};
    const qint64 width = bmp.Width();
    const qint64 height = qAbs(bmp.Height());
    if (width <= 0 || height == 0) return QString("BMP header gives an impossible size: %1 × %2").arg(width).arg(bmp.Height());
    if (width * height > maxPixels) return TooLarge(width, height, maxPixels);
    const quint32 compression = bmp.Compression();
    const int bits = bmp.Bits();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return QString("BMP with %1 bits a pixel, a depth this program does not read").arg(bits);
    if (compression > 3) return QString("BMP compression %1, a kind this program does not read").arg(compression);
    if (compression != 0 && compression != 3) return {};
    const qint64 rowBytes = ((width * bits + 31) / 32) * 4;
    const qint64 needed = static_cast<qint64>(bmp.PixelOffset()) + rowBytes * height;
    if (needed > fileSize)
        return QString("truncated BMP: its pixels need %1 bytes but the file has %2").arg(needed).arg(fileSize);
    return {};
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
void CompleteColorTable(QImage& image) {
    const int entries = image.format() == QImage::Format_Indexed8 ? 256 : image.depth() == 1 ? 2 : 0;
    if (entries == 0 || image.colorCount() >= entries) return;
    QList<QRgb> table = image.colorTable();
    table.resize(entries, qRgb(0, 0, 0));
    image.setColorTable(table);
}

// One decoder for bytes in memory and open files alike; the error's text is the reason alone.
Result<Picture> DecodeFrom(QIODevice& device, qint64 byteCount, std::int64_t maxPixels) {
    if (byteCount == 0) return Refuse("the file is empty");
    const QByteArray head = device.peek(64);
    if (const QString problem = BmpProblem(head, byteCount, maxPixels); !problem.isEmpty()) return Refuse(problem);

    // Qt's readers speak through warnings, also while reading the header; keep them for the message.
    WarningCapture capture;
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(static_cast<int>(maxPixels * 4 / (1024 * 1024)) + 1);
    if (!reader.canRead()) {
        const QString damage = DamageIn(capture.warnings);
        return Refuse(damage.isEmpty() ? "not a picture format this program reads" : damage);
    }
    const QString format = QString(reader.format()).toUpper();
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > maxPixels)
        return Refuse(TooLarge(size.width(), size.height(), maxPixels));

    QImage image = reader.read();
    if (image.isNull()) {
        QString reason = DamageIn(capture.warnings);
        if (reason.isEmpty()) reason = capture.warnings.isEmpty() ? reader.errorString() : capture.warnings.last().trimmed();
        return Refuse(QString("cannot decode this %1 file: %2").arg(format, reason));
    }
    if (const QString damage = DamageIn(capture.warnings); !damage.isEmpty()) return Refuse(damage);

    CompleteColorTable(image);
    image = image.convertToFormat(QImage::Format_BGR888);
    if (image.isNull()) return Refuse("not enough memory to convert the picture");
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(picture.Row(y), image.constScanLine(y), static_cast<std::size_t>(image.width()) * 3);
    return picture;
}

}  // namespace

Result<Picture> DecodePicture(std::span<const std::uint8_t> bytes, std::int64_t maxPixels) {
    const QByteArray view = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(view);
    buffer.open(QIODevice::ReadOnly);
    return DecodeFrom(buffer, view.size(), maxPixels);
}

Result<Picture> ReadPicture(const std::string& path, std::int64_t maxPixels) {
    auto named = [&](const Error& error) { return Error{path, error.code, path + ": " + error.text}; };
    QFile file;
    qint64 size = 0;
    if (Status opened = OpenRegularFile(path, file, size); !opened) return named(opened.Failure());
    Result<Picture> decoded = DecodeFrom(file, size, maxPixels);
    if (!decoded) return named(decoded.Failure());
    return decoded;
}

}  // namespace vorbix
