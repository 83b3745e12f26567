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

#include "dither/methods.h"
#include "core/thread_pool.h"
#include "draw/sheet.h"
#include "io/bmp_file.h"
#include "io/picture_decode.h"
#include "io/png_file.h"
#include "pipeline/best_colours.h"
#include "pipeline/method_sheet.h"
#include "pipeline/save_check.h"

namespace vorbix {

namespace {

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Text(const Error& error) { return QString::fromStdString(error.text); }

QStringList HexColours(const std::vector<ColorValue>& colours) {
    QStringList hex;
    for (ColorValue c : colours)
        hex.append(QString("%1%2%3")
                       .arg(GetRed(c), 2, 16, QChar('0'))
                       .arg(GetGreen(c), 2, 16, QChar('0'))
                       .arg(GetBlue(c), 2, 16, QChar('0'))
                       .toUpper());
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

QString OutputWrittenTwice(const std::vector<OutputNames>& plan) {
    QSet<QString> written;
    for (const OutputNames& names : plan)
        for (const QString& out : {names.bmp, names.bin, names.tim, names.work, names.cas, names.wav, names.sheet}) {
            if (out.isEmpty()) continue;
            const QString absolute = QFileInfo(out).absoluteFilePath();
            if (written.contains(absolute)) return out;
            written.insert(absolute);
        }
    return {};
}

PictureOutcome ConvertPicture(const CliOptions& options, int picture, const OutputNames& names) {
    PictureOutcome outcome{.input = options.pictures[picture]};
    const Cover cover = options.resize ? Cover{kPreviewWidth, kPreviewHeight} : Cover{};
    Result<Picture> decoded = ReadPicture(PictureFile(options, picture), kMaxPicturePixels, cover);
    if (!decoded) {
        outcome.error = Text(decoded.Failure());
        return outcome;
    }
    Session session = Session::StartedWith({.mode = options.mode,
                                            .method = options.method,
                                            .resize = options.resize,
                                            .keepShape = options.keepShape,
                                            .swatches2 = options.palette2,
                                            .swatches4 = options.palette4});
    session.Load(std::move(decoded.Value()));
    for (int n = 0; n < kSliderCount; ++n) {
        if (!options.sliders[n]) continue;
        const Slider slider = static_cast<Slider>(n);
        // The adjustment runs once, whether or not the slider moves.
        if (session.SliderValue(slider) != *options.sliders[n])
            session.MoveSlider(slider, *options.sliders[n]);
        else
            session.ApplySlider(slider);
        session.Commit();
    }
    const TvcMode mode = options.mode;
    if (const int best = mode == TvcMode::Graphics4 ? options.bestPalette4 : mode == TvcMode::Graphics2 ? options.bestPalette2 : 0) {
        const std::vector<SwatchCandidate> candidates = BestSwatchCandidates(session, mode);
        if (best > static_cast<int>(candidates.size())) {
            outcome.error = QString("best:%1 asks for more sets of best colours than the %2 this picture has")
                                .arg(best)
                                .arg(candidates.size());
            return outcome;
        }
        for (const SwatchCandidate& candidate : candidates)
            outcome.candidates.push_back({HexColours(candidate.swatches), candidate.score});
        session.ChooseSwatches(mode, candidates[best - 1].swatches);
    }
    if (options.refineSeconds) {
        const Refinement refined = session.Refine(*options.refineSeconds);
        outcome.refinement = RefineFigures{refined.seconds, refined.scoreBefore, refined.scoreAfter, refined.converged};
    }
    auto fail = [&](const Error& error) {
        outcome.error = Text(error);
        return outcome;
    };
    if (Status saved = session.Save({Local(names.bmp), Local(names.bin), Local(names.tim)}); !saved)
        return fail(saved.Failure());
    outcome.files = {names.bmp, names.bin, names.tim};
    if (auto shown = CheckShownScreen(Local(names.tim), mode, session.Surface(mode), session.PaletteInUse()))
        outcome.warnings.append(QString::fromStdString(*shown));
    if (!names.work.isEmpty()) {
        if (Status written = WriteBmp24(Local(names.work), session.Surface(mode)); !written) return fail(written.Failure());
        outcome.files.append(names.work);
    }
    for (const auto& [path, format] : {std::pair{names.cas, ProgramFormat::Cas}, std::pair{names.wav, ProgramFormat::Wav}}) {
        if (path.isEmpty()) continue;
        const Result<ProgramWritten> written = session.SaveProgram(Local(path), format);
        if (!written) return fail(written.Failure());
        if (const Warning& warning = written.Value().warning)
            outcome.warnings.append(path + ": " + QString::fromStdString(*warning));
        outcome.notes.append(path + ": " + QString::fromStdString(LoadTimeText(written.Value())));
        outcome.loadSeconds = written.Value().loadSeconds;
        outcome.files.append(path);
    }
    if (!names.sheet.isEmpty()) {
        const Picture sheet = ComposeSheet(ConvertWithEveryMethod(session), SheetLayout(options.sheetScale), options.method);
        if (Status written = WritePng(Local(names.sheet), sheet); !written) return fail(written.Failure());
        outcome.files.append(names.sheet);
    }
    outcome.colours = session.ResultColours();
    outcome.milliseconds = session.Milliseconds();
    // Only JSON reports the score, which costs about as much as the conversion itself.
    if (options.json) outcome.likeness = session.Likeness();
    const ConversionSettings& settings = session.Settings();
    const ColorValue* swatches = mode == TvcMode::Graphics4 ? settings.swatches4.data() : settings.swatches2.data();
    outcome.palette = HexColours({swatches, swatches + ModeOf(mode).swatchCount});
    return outcome;
}

namespace {

PictureOutcome ConvertWithinBudget(const CliOptions& options, int picture, const OutputNames& names, MemoryBudget& budget) {
    const std::string file = PictureFile(options, picture);
    struct stat info {};
    const std::int64_t fileBytes = stat(file.c_str(), &info) == 0 ? info.st_size : 0;
    const MemoryBudget::Lease lease = budget.Reserve(ClaimedSize(file).Pixels() * kBytesPerPixel + fileBytes);
    try {
        return ConvertPicture(options, picture, names);
    } catch (const std::bad_alloc&) {
        return {.input = options.pictures[picture], .error = options.pictures[picture] + ": not enough memory to convert this picture"};
    }
}

}  // namespace

std::vector<PictureOutcome> ConvertAll(const CliOptions& options, int threads, MemoryBudget& budget) {
    const std::vector<OutputNames> plan = PlanOutputs(options);
    const int count = static_cast<int>(options.pictures.size());
    std::vector<PictureOutcome> outcomes(count);
    QSet<QString> inputs;
    for (const QString& picture : options.pictures) inputs.insert(CanonicalOrAbsolute(picture));
    auto convert = [&](int i) {
        const OutputNames& names = plan[i];
        const QString clash = [&] {
            for (const QString& out : {names.bmp, names.bin, names.tim, names.work, names.cas, names.wav, names.sheet})
                if (!out.isEmpty() && inputs.contains(CanonicalOrAbsolute(out))) return out;
            return QString();
        }();
        if (!clash.isEmpty())
            outcomes[i] = {.input = options.pictures[i], .error = clash + ": an input picture, never overwritten"};
        else
            outcomes[i] = ConvertWithinBudget(options, i, names, budget);
    };
    // One limit for the pictures and the bands inside each conversion together.
    ThreadPool& pool = ThreadPool::Shared();
    pool.SetThreadLimit(std::max(threads, 1));
    pool.Run(count, convert);
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
    if (outcome.error.isEmpty()) object["delta_e"] = std::round(outcome.likeness * 100) / 100;
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
                                       {"delta_e_before", hundredths(refined->before)},
                                       {"delta_e_after", hundredths(refined->after)},
                                       {"converged", refined->converged}};
    }
    if (!outcome.error.isEmpty()) object["error"] = outcome.error;
    if (!outcome.warnings.isEmpty()) object["warning"] = outcome.warnings.join("; ");
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}  // namespace vorbix
