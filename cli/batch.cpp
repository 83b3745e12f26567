#include "cli/batch.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <thread>

#include "dither/methods.h"
#include "core/thread_pool.h"
#include "draw/sheet.h"
#include "io/bmp_file.h"
#include "io/file_write.h"
#include "io/local_name.h"
#include "io/picture_decode.h"
#include "io/png_file.h"
#include "pipeline/best_colours.h"
#include "pipeline/method_sheet.h"
#include "pipeline/result_settings.h"
#include "pipeline/save_check.h"

namespace vorbix {

namespace {

QString Text(const Error& error) { return QString::fromStdString(error.text); }

// "RRGGBB" each.
QStringList HexColours(const std::vector<ColourValue>& colours) {
    QStringList hex;
    for (ColourValue c : colours) hex.append(QString::fromStdString(HexText(c).substr(1)));
    return hex;
}

QString CanonicalOrAbsolute(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// What a picture holds at its peak, a byte a pixel: the decoder's picture (4) and its copy in our
// layout (3), the document's copy (3), a progressive JPEG's coefficients (up to 6).
constexpr std::int64_t kBytesPerPixel = 16;

}  // namespace

std::vector<OutputNames> PlanOutputs(const CliOptions& options) {
    const QDir dir(options.outDir);
    std::vector<OutputNames> plan;
    if (options.pictures.size() == 1) {
        plan.push_back({dir.filePath("out24.bmp"), dir.filePath("screen.bin"), dir.filePath("screen.tim"),
                        options.work, options.cas ? dir.filePath("screen.cas") : QString(),
                        options.wav ? dir.filePath("screen.wav") : QString(), options.sheet});
        return plan;
    }
    // A file asked for by name is written once per picture, the picture's name in front of its own.
    auto perPicture = [](const QString& named, const QString& stem) {
        if (named.isEmpty()) return QString();
        const QFileInfo info(named);
        return info.dir().filePath(stem + "." + info.fileName());
    };
    QSet<QString> stems;
    for (const QString& picture : options.pictures) {
        // Two pictures of one name keep their suffix apart (x.jpg, x.bmp), then a number (x.jpg-2).
        const QFileInfo info(picture);
        QString stem = info.completeBaseName();
        if (stems.contains(stem)) stem = info.fileName();
        for (int n = 2; stems.contains(stem); ++n) stem = info.fileName() + "-" + QString::number(n);
        stems.insert(stem);
        plan.push_back({dir.filePath(stem + ".preview.bmp"), dir.filePath(stem + ".bin"), dir.filePath(stem + ".tim"),
                        perPicture(options.work, stem), options.cas ? dir.filePath(stem + ".cas") : QString(),
                        options.wav ? dir.filePath(stem + ".wav") : QString(), perPicture(options.sheet, stem)});
    }
    return plan;
}

std::optional<QString> OutputWrittenTwice(const std::vector<OutputNames>& plan) {
    QSet<QString> written;
    for (const OutputNames& names : plan)
        for (const QString& out : {names.bmp, names.bin, names.tim, names.work, names.cas, names.wav, names.sheet}) {
            if (out.isEmpty()) continue;
            const QString absolute = QFileInfo(out).absoluteFilePath();
            if (written.contains(absolute)) return out;
            written.insert(absolute);
        }
    return std::nullopt;
}

std::optional<QString> InputAmongOutputs(const OutputNames& names, const QStringList& inputs) {
    QSet<QString> canonical;
    for (const QString& input : inputs) canonical.insert(CanonicalOrAbsolute(input));
    for (const QString& out : {names.bmp, names.bin, names.tim, names.work, names.cas, names.wav, names.sheet})
        if (!out.isEmpty() && canonical.contains(CanonicalOrAbsolute(out))) return out + ": an input picture, never overwritten";
    return std::nullopt;
}

int WorkerCount(int jobs) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return jobs > 0 ? std::min(jobs, cores) : cores;
}

namespace {

PictureOutcome& Failed(PictureOutcome& outcome, const Error& error) {
    outcome.error = Text(error);
    return outcome;
}

// The picture decoded onto a fresh session, with the sliders the options give.
Result<Session> LoadedSession(const CliOptions& options, int picture) {
    const Cover cover = options.resize ? Cover{kPreviewWidth, kPreviewHeight} : Cover{};
    Result<Picture> decoded = ReadPicture(PictureFile(options, picture), kMaxPicturePixels, cover);
    if (!decoded) return decoded.Failure();
    Session session = Session::StartedWith({.mode = options.mode,
                                            .method = options.method,
                                            .resize = options.resize,
                                            .keepShape = options.keepShape,
                                            .swatches2 = options.palette2,
                                            .swatches4 = options.palette4});
    session.Load(std::move(decoded.Value()));
    for (int n = 0; n < kSliderCount; ++n) {
        if (!options.sliders[n]) continue;
        // The adjustment runs once, whether or not the slider moves.
        ReplaySlider(session, static_cast<Slider>(n), *options.sliders[n]);
        session.Commit();
    }
    return session;
}

// With best:K, the K-th of the sets of best colours offered, and every set for the report.
Status ChooseBestSwatches(Session& session, const CliOptions& options, PictureOutcome& outcome) {
    const TvcMode mode = options.mode;
    const int best = mode == TvcMode::Graphics4 ? options.bestPalette4 : mode == TvcMode::Graphics2 ? options.bestPalette2 : 0;
    if (best == 0) return {};
    const std::vector<SwatchCandidate> candidates = BestSwatchCandidates(session, mode);
    if (best > static_cast<int>(candidates.size()))
        return Error{{}, 0, "best:" + std::to_string(best) + " asks for more sets of best colours than the " +
                                std::to_string(candidates.size()) + " this picture has"};
    for (const SwatchCandidate& candidate : candidates)
        outcome.candidates.push_back({HexColours(candidate.swatches), candidate.score});
    session.ChooseSwatches(mode, candidates[best - 1].swatches);
    return {};
}

// The program files asked for, their bytes and what they tell.
std::vector<std::pair<QString, ProgramFile>> ProgramFiles(const Session& session, const OutputNames& names) {
    std::vector<std::pair<QString, ProgramFile>> programs;
    for (const auto& [path, format] : {std::pair{names.cas, ProgramFormat::Cas}, std::pair{names.wav, ProgramFormat::Wav}})
        if (!path.isEmpty()) programs.emplace_back(path, session.ProgramFileBytes(format));
    return programs;
}

void ReportFigures(const Session& session, const CliOptions& options, PictureOutcome& outcome) {
    outcome.colours = session.ResultColours();
    outcome.milliseconds = session.Milliseconds();
    // Only JSON reports the score, which costs about as much as the conversion itself.
    if (options.json) {
        outcome.likeness = session.Likeness();
        outcome.deltaE = session.DeltaE();
    }
    const std::span<const ColourValue> swatches = session.Settings().Swatches(session.Mode());
    outcome.palette = HexColours({swatches.begin(), swatches.end()});
}

}  // namespace

void WriteOutputs(const Session& session, const CliOptions& options, const OutputNames& names, PictureOutcome& outcome) {
    const TvcMode mode = session.Mode();
    std::vector<FileToWrite> files = session.SaveFiles({LocalName(names.bmp), LocalName(names.bin), LocalName(names.tim)});
    QStringList written = {names.bmp, names.bin, names.tim};
    if (!names.work.isEmpty()) {
        files.push_back({LocalName(names.work), EncodeBmp24(session.Surface(mode))});
        written.append(names.work);
    }
    const std::vector<std::pair<QString, ProgramFile>> programs = ProgramFiles(session, names);
    for (const auto& [path, program] : programs) {
        files.push_back({LocalName(path), program.bytes});
        written.append(path);
    }
    if (!names.sheet.isEmpty()) {
        const Picture sheet = ComposeSheet(ConvertWithEveryMethod(session), SheetLayout(options.sheetScale), session.Method());
        std::vector<std::uint8_t> png = EncodePng(sheet);
        if (png.empty()) return (void)Failed(outcome, {LocalName(names.sheet), 0, LocalName(names.sheet) + ": the PNG encoder failed"});
        files.push_back({LocalName(names.sheet), std::move(png)});
        written.append(names.sheet);
    }
    if (Status saved = WriteFilesWhole(files); !saved) return (void)Failed(outcome, saved.Failure());
    outcome.files = written;
    const Result<std::optional<std::string>> shown = CheckShownScreen(LocalName(names.tim), mode, session.Surface(mode), session.PaletteInUse());
    if (!shown) return (void)Failed(outcome, shown.Failure());
    if (shown.Value()) outcome.warnings.append(QString::fromStdString(*shown.Value()));
    for (const auto& [path, program] : programs) {
        if (const Warning& warning = program.facts.warning) outcome.warnings.append(path + ": " + QString::fromStdString(*warning));
        outcome.notes.append(path + ": " + QString::fromStdString(LoadTimeText(program.facts)));
        outcome.loadSeconds = program.facts.loadSeconds;
    }
    ReportFigures(session, options, outcome);
}

PictureOutcome ConvertPicture(const CliOptions& options, int picture, const OutputNames& names) {
    PictureOutcome outcome{.input = options.pictures[picture]};
    Result<Session> loaded = LoadedSession(options, picture);
    if (!loaded) return Failed(outcome, loaded.Failure());
    Session& session = loaded.Value();
    if (Status chosen = ChooseBestSwatches(session, options, outcome); !chosen) return Failed(outcome, chosen.Failure());
    if (options.refineSeconds) {
        // Only JSON reports the colour difference, which costs about as much as the conversion.
        const double deltaEBefore = options.json ? session.DeltaE() : 0;
        const Refinement refined = session.Refine(*options.refineSeconds);
        outcome.refinement = RefineFigures{refined.seconds, refined.scoreBefore, refined.scoreAfter, deltaEBefore,
                                           options.json ? session.DeltaE() : 0, refined.converged};
    }
    WriteOutputs(session, options, names, outcome);
    return outcome;
}

namespace {

// Whatever runs short of memory, the picture fails with a message and the others go on.
PictureOutcome ConvertWithinBudget(const CliOptions& options, int picture, const OutputNames& names, MemoryBudget& budget) {
    try {
        if (const std::optional<QString> clash = InputAmongOutputs(names, options.pictures))
            return {.input = options.pictures[picture], .error = *clash};
        const std::string file = PictureFile(options, picture);
        struct stat info {};
        const std::int64_t fileBytes = stat(file.c_str(), &info) == 0 ? info.st_size : 0;
        const MemoryBudget::Lease lease = budget.Reserve(ClaimedSize(file).Pixels() * kBytesPerPixel + fileBytes);
        return ConvertPicture(options, picture, names);
    } catch (const std::bad_alloc&) {
        PictureOutcome outcome;
        outcome.error = QString("not enough memory to convert this picture");
        try {
            outcome.input = options.pictures[picture];
            outcome.error = outcome.input + ": " + *outcome.error;
        } catch (const std::bad_alloc&) {
        }
        return outcome;
    }
}

}  // namespace

std::vector<PictureOutcome> ConvertAll(const CliOptions& options, int threads, MemoryBudget& budget) {
    const std::vector<OutputNames> plan = PlanOutputs(options);
    std::vector<PictureOutcome> outcomes(options.pictures.size());
    // One limit for the pictures and the bands inside each conversion together.
    ThreadPool& pool = ThreadPool::Shared();
    pool.SetThreadLimit(std::max(threads, 1));
    pool.Run(static_cast<int>(outcomes.size()),
             [&](int i) { outcomes[i] = ConvertWithinBudget(options, i, plan[i], budget); });
    return outcomes;
}

QString OutcomeJson(const CliOptions& options, const PictureOutcome& outcome) {
    QJsonObject object;
    object["input"] = outcome.input;
    object["mode"] = ModeOf(options.mode).number;
    const std::string_view caption = MethodNumbered(options.method).caption;
    object["method"] = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    object["colours"] = outcome.colours;
    object["milliseconds"] = outcome.milliseconds;
    if (!outcome.error) {
        object["delta_e"] = std::round(outcome.deltaE * 100) / 100;
        object["likeness"] = std::round(outcome.likeness * 100) / 100;
    }
    if (!outcome.palette.isEmpty()) object["palette"] = QJsonArray::fromStringList(outcome.palette);
    if (!outcome.candidates.empty()) {
        QJsonArray candidates;
        for (const CandidateFigures& candidate : outcome.candidates)
            candidates.append(QJsonObject{{"palette", QJsonArray::fromStringList(candidate.palette)},
                                          {"likeness", std::round(candidate.likeness * 100) / 100}});
        object["candidates"] = candidates;
    }
    object["files"] = QJsonArray::fromStringList(outcome.files);
    if (outcome.loadSeconds) object["load_seconds"] = std::round(*outcome.loadSeconds * 10) / 10;
    if (const std::optional<RefineFigures>& refined = outcome.refinement) {
        auto hundredths = [](double v) { return std::round(v * 100) / 100; };
        object["refine"] = QJsonObject{{"seconds", hundredths(refined->seconds)},
                                       {"delta_e_before", hundredths(refined->deltaEBefore)},
                                       {"delta_e_after", hundredths(refined->deltaEAfter)},
                                       {"likeness_before", hundredths(refined->before)},
                                       {"likeness_after", hundredths(refined->after)},
                                       {"converged", refined->converged}};
    }
    if (outcome.error) object["error"] = *outcome.error;
    if (!outcome.warnings.isEmpty()) object["warning"] = outcome.warnings.join("; ");
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}  // namespace vorbix
