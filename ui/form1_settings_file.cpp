#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "io/file_write.h"
#include "io/local_name.h"
#include "io/picture_decode.h"
#include "pipeline/result_settings.h"
#include "pipeline/sha256.h"
#include "ui/form1.h"

namespace vorbix {

namespace {


QString Lines(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list.append(QString::fromStdString(line));
    return list.join("; ");
}

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
    const std::string pictureSha = Sha256OfFile(LocalName(picturePath_));
    const ResultSettings settings = SettingsOf(SettledSession(), LocalName(pictureName_), pictureSha);
    const std::string json = SettingsJson(settings);
    if (Status written = WriteFileWhole(LocalName(chosen), {json.begin(), json.end()}); !written)
        return ReportSaveError(written.Failure());
    // Replaying a refinement that its budget cut short would take all that time to say so.
    if (AnyCutShort(settings.refinements))
        return SetStatus("A replay may give other pixels: the refinement was stopped by its time budget before it "
                         "converged — saved",
                         chosen);
    // What the command line will find: the same inputs replayed on the picture as it is now.
    const QString saved = "Saved " + QDir::toNativeSeparators(chosen);
    // The check would take the place of the running task.
    if (Busy()) return SetStatus("Not replayed to check it while another task runs — saved", chosen);
    const QString name = QFileInfo(chosen).fileName();
    ReplaySettings("Saved " + name + "; checking that it replays…",
                   "Saved " + name + "; the check that it replays was cancelled",
                   std::nullopt, settings, picturePath_,
                   [this, settings, pictureSha, saved, chosen](Result<Session>& replayed, const std::string&) {
                       if (!replayed)
                           return ReportError(saved + ", but it could not be replayed to check it: " +
                                              QString::fromStdString(replayed.Failure().text));
                       const std::vector<std::string> differences =
                           ResultDifferences(settings, SettingsOf(replayed.Value(), settings.pictureName, pictureSha));
                       if (differences.empty())
                           return SetStatus("Checked: it replays to the same screen.tim — saved", chosen);
                       ReportError(saved +
                                   ", but replaying it does not give this result (edits undone past \"Set\", or "
                                   "\"Resize\" changed after loading, are not replayed): " + Lines(differences));
                   });
}

void Form1::ReplaySettings(const QString& status, const QString& cancelledStatus, std::optional<long> conversion,
                           const ResultSettings& settings, const QString& picturePath, Replayed replayed) {
    struct Outcome {
        Result<Session> session;
        std::string pictureSha;
    };
    const auto outcome = std::make_shared<Outcome>();
    RunInBackground(
        status, conversion,
        [outcome, settings, path = LocalName(picturePath)](TaskProgress& progress) {
            outcome->pictureSha = Sha256OfFile(path);
            Result<Picture> decoded = ReadPicture(path, kMaxPicturePixels, CoverToReplay(settings));
            if (!decoded) {
                outcome->session = decoded.Failure();
                return;
            }
            outcome->session = Replay(settings, std::move(decoded.Value()), &progress);
        },
        [this, outcome, cancelledStatus, replayed = std::move(replayed)](bool cancelled) {
            if (cancelled) return SetStatus(cancelledStatus);
            replayed(outcome->session, outcome->pictureSha);
        });
}

void Form1::LoadSettings_Click() {
    const QString path = dialogs_.loadSettingsPath(this, listFolder_);
    if (!path.isEmpty()) LoadSettingsFile(path);
}

void Form1::LoadSettingsFile(const QString& path) {
    const Result<ResultSettings> parsed = ReadSettingsFile(LocalName(path));
    if (!parsed) return ReportError(QString::fromStdString(parsed.Failure().text));
    const ResultSettings& settings = parsed.Value();
    const QString name = QString::fromStdString(settings.pictureName);
    QString picture = QFileInfo(path).dir().filePath(name);
    if (!QFileInfo(picture).isFile()) picture = QDir(listFolder_).filePath(name);
    const QString fileName = QFileInfo(path).fileName();
    ReplaySettings("Applying " + fileName + "…",
                   "Applying " + fileName + " cancelled; the picture and its settings are as they were",
                   session_.ConversionCount(), settings, picture,
                   [this, settings, picture, fileName](Result<Session>& replayed, const std::string& pictureSha) {
                       if (!replayed) return ReportError(QString::fromStdString(replayed.Failure().text));
                       SettledSession() = std::move(replayed.Value());
                       history_.Clear();
                       ShowPictureFile(picture);
                       ShowState();
                       const std::vector<std::string> differences =
                           ResultDifferences(settings, SettingsOf(session_, settings.pictureName, pictureSha));
                       if (differences.empty())
                           return SetStatus("Applied " + fileName + ": the same screen.tim as when it was saved");
                       ReportError("Applied " + fileName + ", but the result differs: " + Lines(differences));
                   });
}

}  // namespace vorbix
