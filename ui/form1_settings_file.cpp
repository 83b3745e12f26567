#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>

#include "io/file_write.h"
#include "io/picture_decode.h"
#include "pipeline/result_settings.h"
#include "pipeline/sha256.h"
#include "ui/form1.h"

namespace vorbix {

namespace {

constexpr qint64 kMaxSettingsBytes = 1 << 20;

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString Lines(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list.append(QString::fromStdString(line));
    return list.join("; ");
}

// A replay runs the result's refinements again on this thread, which can take seconds.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

bool AnyCutShort(const std::vector<RefinementRun>& runs) {
    return std::any_of(runs.begin(), runs.end(), [](const RefinementRun& run) { return !run.converged; });
}

}  // namespace

void Form1::SaveSettings_Click() {
    if (picturePath_.isEmpty()) return ReportError("Load a picture first: a settings file names the picture it converts");
    const QFileInfo picture(picturePath_);
    QString chosen = dialogs_.saveSettingsPath(this, picture.dir().filePath(picture.completeBaseName() + ".vorbix.json"));
    if (chosen.isEmpty()) return;
    if (!chosen.endsWith(".json", Qt::CaseInsensitive)) chosen += ".json";
    const std::string pictureSha = Sha256OfFile(Local(picturePath_));
    const ResultSettings settings = SettingsOf(session_, Local(pictureName_), pictureSha);
    const std::string json = SettingsJson(settings);
    if (Status written = WriteFileWhole(Local(chosen), {json.begin(), json.end()}); !written)
        return ReportSaveError(written.Failure());
    // Replaying a refinement that its budget cut short would take all that time to say so.
    if (AnyCutShort(settings.refinements))
        return SetStatus("Saved " + QDir::toNativeSeparators(chosen) +
                         "; the refinement was stopped by its time budget before it converged, so a replay may "
                         "give other pixels");
    // What the command line will find: the same inputs replayed on the picture as it is now.
    const BusyCursor busy;
    const Result<Picture> decoded = ReadPicture(Local(picturePath_));
    const std::vector<std::string> differences =
        decoded ? ResultDifferences(settings, SettingsOf(Replay(settings, decoded.Value()), settings.pictureName, pictureSha))
                : std::vector<std::string>{"the picture cannot be read again"};
    if (differences.empty())
        return SetStatus("Saved " + QDir::toNativeSeparators(chosen) + "; it replays to the same screen.tim");
    ReportError("Saved " + QDir::toNativeSeparators(chosen) +
                ", but replaying it does not give this result (edits undone past \"Set\", or \"Resize\" changed after "
                "loading, are not replayed): " + Lines(differences));
}

void Form1::LoadSettings_Click() {
    const QString path = dialogs_.loadSettingsPath(this, listFolder_);
    if (!path.isEmpty()) LoadSettingsFile(path);
}

void Form1::LoadSettingsFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxSettingsBytes)
        return ReportError(path + ": not a settings file that can be read");
    const Result<ResultSettings> parsed = ParseSettingsJson(file.readAll().toStdString());
    if (!parsed) return ReportError(path + ": " + QString::fromStdString(parsed.Failure().text));
    const ResultSettings& settings = parsed.Value();
    const QString name = QString::fromStdString(settings.pictureName);
    QString picture = QFileInfo(path).dir().filePath(name);
    if (!QFileInfo(picture).isFile()) picture = QDir(listFolder_).filePath(name);
    const Result<Picture> decoded = ReadPicture(Local(picture));
    if (!decoded) return ReportError(QString::fromStdString(decoded.Failure().text));
    {
        const BusyCursor busy;
        session_ = Replay(settings, decoded.Value());
    }
    history_.Clear();
    ShowPictureFile(picture);
    ShowState();
    const std::vector<std::string> differences =
        ResultDifferences(settings, SettingsOf(session_, settings.pictureName, Sha256OfFile(Local(picture))));
    if (differences.empty())
        return SetStatus("Applied " + QFileInfo(path).fileName() + ": the same screen.tim as when it was saved");
    ReportError("Applied " + QFileInfo(path).fileName() + ", but the result differs: " + Lines(differences));
}

}  // namespace vorbix
