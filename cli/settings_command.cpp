#include "cli/settings_command.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <new>

#include "cli/batch.h"
#include "cli/printable.h"
#include "io/local_name.h"
#include "io/picture_decode.h"
#include "pipeline/result_settings.h"
#include "pipeline/sha256.h"

namespace vorbix {

namespace {

QString Text(const Error& error) { return QString::fromStdString(error.text); }

// The run as a conversion of the one picture, with the result's mode and method, so that the
// outputs are named, written and reported as a conversion's are.
CliOptions AsConversion(const CliOptions& options, const ResultSettings& recorded) {
    CliOptions replay = options;
    if (options.pictures.isEmpty()) {
        replay.pictures = {QFileInfo(options.settings).dir().filePath(QString::fromStdString(recorded.pictureName))};
        replay.pictureFiles.clear();
    }
    replay.mode = recorded.conversion.mode;
    replay.method = recorded.conversion.method;
    replay.resize = recorded.conversion.resize;
    return replay;
}

int ReplayAndCheck(const CliOptions& options, QTextStream& out, QTextStream& err) {
    auto fail = [&](const QString& message) {
        err << "vorbix-cli: " << Printable(message) << "\n";
        return 1;
    };
    const std::string settingsFile = options.settingsFile.empty() ? LocalName(options.settings)
                                                                   : options.settingsFile;
    const Result<ResultSettings> read = ReadSettingsFile(settingsFile);
    if (!read) return fail(Text(read.Failure()));
    const ResultSettings& recorded = read.Value();
    const CliOptions replay = AsConversion(options, recorded);
    const OutputNames names = PlanOutputs(replay).front();
    if (const auto clash = InputAmongOutputs(names, {replay.pictures.first(), options.settings})) return fail(*clash);
    const std::string picture = PictureFile(replay, 0);
    Result<Picture> decoded = ReadPicture(picture, kMaxPicturePixels, CoverToReplay(recorded));
    if (!decoded) return fail(Text(decoded.Failure()));
    const std::string pictureSha256 = Sha256OfFile(picture);
    const Result<Session> session = Replay(recorded, std::move(decoded.Value()));
    if (!session) return fail(replay.pictures.first() + ": " + Text(session.Failure()));
    if (!QDir().mkpath(options.outDir)) return fail("cannot create the folder " + options.outDir);

    PictureOutcome outcome{.input = replay.pictures.first()};
    WriteOutputs(session.Value(), replay, names, outcome);
    for (const QString& warning : outcome.warnings) err << "vorbix-cli: warning: " << Printable(warning) << "\n";
    for (const QString& note : outcome.notes) err << "vorbix-cli: " << Printable(note) << "\n";
    if (options.json) out << OutcomeJson(replay, outcome) << "\n";
    if (outcome.error) return fail(*outcome.error);

    const ResultSettings replayed = SettingsOf(session.Value(), recorded.pictureName, pictureSha256);
    const std::vector<std::string> differences = ResultDifferences(recorded, replayed);
    if (differences.empty()) {
        // With --json, stdout holds the JSON lines alone.
        (options.json ? err : out) << Printable(names.tim) << ": identical to the settings' result (SHA-256 "
                                   << QString::fromStdString(replayed.screenSha256) << ")\n";
        return 0;
    }
    err << "vorbix-cli: " << Printable(names.tim) << " differs from the settings' result:\n";
    for (const std::string& difference : differences) err << "  " << Printable(QString::fromStdString(difference)) << "\n";
    return 1;
}

}  // namespace

int ReplaySettingsCommand(const CliOptions& options, QTextStream& out, QTextStream& err) {
    try {
        return ReplayAndCheck(options, out, err);
    } catch (const std::bad_alloc&) {
        err << "vorbix-cli: not enough memory to replay " << Printable(options.settings) << "\n";
        return 1;
    }
}

}  // namespace vorbix
