#include "cli/settings_command.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "io/picture_decode.h"
#include "pipeline/result_settings.h"
#include "pipeline/sha256.h"

namespace vorbix {

namespace {

// A settings file is a few kilobytes; anything this large is not one.
constexpr qint64 kMaxSettingsBytes = 1 << 20;

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The bytes of a regular file of at most maxBytes; the error names the path.
std::optional<QByteArray> ReadSmallFile(const QString& path, qint64 maxBytes, QString& error) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = path + ": cannot be read (" + (QFileInfo::exists(path) ? file.errorString() : "no such file") + ")";
        return std::nullopt;
    }
    if (file.size() > maxBytes) {
        error = path + ": too large for a settings file";
        return std::nullopt;
    }
    return file.readAll();
}

}  // namespace

int ReplaySettingsCommand(const CliOptions& options, QTextStream& out, QTextStream& err) {
    QString error;
    const auto text = ReadSmallFile(options.settings, kMaxSettingsBytes, error);
    if (!text) {
        err << "vorbix-cli: " << error << "\n";
        return 1;
    }
    const Result<ResultSettings> parsed = ParseSettingsJson(text->toStdString());
    if (!parsed) {
        err << "vorbix-cli: " << options.settings << ": " << QString::fromStdString(parsed.Failure().text) << "\n";
        return 1;
    }
    const ResultSettings& recorded = parsed.Value();
    const QString picture = options.pictures.isEmpty()
                                ? QFileInfo(options.settings).dir().filePath(QString::fromStdString(recorded.pictureName))
                                : options.pictures.first();
    const Result<Picture> decoded = ReadPicture(Local(picture));
    if (!decoded) {
        err << "vorbix-cli: " << QString::fromStdString(decoded.Failure().text) << "\n";
        return 1;
    }
    const Session session = Replay(recorded, decoded.Value());
    if (!QDir().mkpath(options.outDir)) {
        err << "vorbix-cli: cannot create the folder " << options.outDir << "\n";
        return 1;
    }
    const SavePaths paths = Session::SavePathsInFolder(Local(options.outDir));
    if (Status saved = session.Save(paths); !saved) {
        err << "vorbix-cli: " << QString::fromStdString(saved.Failure().text) << "\n";
        return 1;
    }
    const ResultSettings replayed = SettingsOf(session, recorded.pictureName, Sha256OfFile(Local(picture)));
    const std::vector<std::string> differences = ResultDifferences(recorded, replayed);
    if (differences.empty()) {
        out << QString::fromStdString(paths.tim) << ": identical to the settings' result (SHA-256 "
            << QString::fromStdString(replayed.screenSha256) << ")\n";
        return 0;
    }
    err << "vorbix-cli: " << QString::fromStdString(paths.tim) << " differs from the settings' result:\n";
    for (const std::string& difference : differences) err << "  " << QString::fromStdString(difference) << "\n";
    return 1;
}

}  // namespace vorbix
