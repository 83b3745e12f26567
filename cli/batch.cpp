#include "cli/batch.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>

#include "dither/methods.h"
#include "cli/png_output.h"
#include "core/thread_pool.h"
#include "export/bmp_file.h"
#include "export/screen_render.h"
#include "pipeline/method_sheet.h"
#include "ui/picture_file.h"

namespace vorbix {

namespace {

int ModeNumber(TvcMode mode) {
    switch (mode) {
        case TvcMode::Graphics2: return 2;
        case TvcMode::Graphics4: return 4;
        case TvcMode::Graphics16: break;
    }
    return 16;
}

QString CanonicalOrAbsolute(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

std::vector<OutputNames> PlanOutputs(const CliOptions& options) {
    const QDir dir(options.outDir);
    std::vector<OutputNames> plan;
    if (options.pictures.size() == 1) {
        plan.push_back({dir.filePath("out24.bmp"), dir.filePath("screen.bin"), dir.filePath("screen.tim"),
                        options.work, options.cas ? dir.filePath("screen.cas") : QString(), options.sheet});
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
        const QFileInfo info(picture);
        // Two pictures of the same name in different formats keep their suffix apart.
        QString stem = info.completeBaseName();
        if (stems.contains(stem)) stem = info.fileName();
        stems.insert(stem);
        plan.push_back({dir.filePath(stem + ".preview.bmp"), dir.filePath(stem + ".bin"), dir.filePath(stem + ".tim"),
                        perPicture(options.work, stem), options.cas ? dir.filePath(stem + ".cas") : QString(),
                        perPicture(options.sheet, stem)});
    }
    return plan;
}

PictureOutcome ConvertPicture(const CliOptions& options, const QString& input, const OutputNames& names) {
    PictureOutcome outcome{input, {}, 0, 0, {}, {}};
    DecodedPicture decoded = DecodePictureFile(input);
    if (!decoded.Ok()) {
        outcome.error = decoded.error;
        return outcome;
    }
    Session session;
    session.SetResize(options.resize);
    session.Option2_Click(static_cast<int>(options.mode));
    session.Option1_Click(options.method);
    for (int i = 0; i < 2; ++i) session.SetSwatch2(i, options.palette2[i]);
    for (int i = 0; i < 4; ++i) session.SetSwatch4(i, options.palette4[i]);
    session.File2_Click(decoded.picture);
    for (int slider = 0; slider < kSliderCount; ++slider) {
        if (!options.sliders[slider]) continue;
        // The handler runs once, whether or not the slider moves.
        if (session.SliderValue(slider) != *options.sliders[slider])
            session.HScroll_Change(slider, *options.sliders[slider]);
        else
            session.HScroll_Scroll(slider);
        session.Command6_Click();
    }
    if (auto error = session.SaveTo(names.bmp.toStdString(), names.bin.toStdString(), names.tim.toStdString())) {
        outcome.error = QString::fromStdString(*error);
        return outcome;
    }
    outcome.files = {names.bmp, names.bin, names.tim};
    const TvcMode mode = options.mode;
    if (auto shown = CheckShownScreen(names.tim.toStdString(), mode, session.WorkSurface(mode), session.State().paletteColors))
        outcome.warnings.append(QString::fromStdString(*shown));
    if (!names.work.isEmpty()) {
        if (auto error = WriteBmp24(names.work.toStdString(), session.WorkSurface(options.mode))) {
            outcome.error = QString::fromStdString(*error);
            return outcome;
        }
        outcome.files.append(names.work);
    }
    if (!names.cas.isEmpty()) {
        const SaveReport report = session.SaveProgram(names.cas.toStdString());
        if (report.error) {
            outcome.error = QString::fromStdString(*report.error);
            return outcome;
        }
        if (report.warning) outcome.warnings.append(names.cas + ": " + QString::fromStdString(*report.warning));
        outcome.files.append(names.cas);
    }
    if (!names.sheet.isEmpty()) {
        const Picture sheet = ComposeSheet(ConvertWithEveryMethod(session), SheetLayout(options.sheetScale), options.method);
        if (const QString error = WritePng(names.sheet, sheet); !error.isEmpty()) {
            outcome.error = error;
            return outcome;
        }
        outcome.files.append(names.sheet);
    }
    outcome.colours = session.ResultColors();
    outcome.milliseconds = session.LastMilliseconds();
    return outcome;
}

std::vector<PictureOutcome> ConvertAll(const CliOptions& options, int threads) {
    const std::vector<OutputNames> plan = PlanOutputs(options);
    const int count = static_cast<int>(options.pictures.size());
    std::vector<PictureOutcome> outcomes(count);
    QSet<QString> inputs;
    for (const QString& picture : options.pictures) inputs.insert(CanonicalOrAbsolute(picture));
    auto convert = [&](int i) {
        const OutputNames& names = plan[i];
        const QString clash = [&] {
            for (const QString& out : {names.bmp, names.bin, names.tim, names.work, names.cas, names.sheet})
                if (!out.isEmpty() && inputs.contains(CanonicalOrAbsolute(out))) return out;
            return QString();
        }();
        if (!clash.isEmpty())
            outcomes[i] = {options.pictures[i], clash + ": an input picture, never overwritten", 0, 0, {}, {}};
        else
            outcomes[i] = ConvertPicture(options, options.pictures[i], names);
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
    object["mode"] = ModeNumber(options.mode);
    object["method"] = QString::fromUtf8(MethodByIndex(options.method).caption.data(),
                                         static_cast<int>(MethodByIndex(options.method).caption.size()));
    object["colours"] = outcome.colours;
    object["milliseconds"] = outcome.milliseconds;
    object["files"] = QJsonArray::fromStringList(outcome.files);
    if (!outcome.error.isEmpty()) object["error"] = outcome.error;
    if (!outcome.warnings.isEmpty()) object["warning"] = outcome.warnings.join("; ");
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}  // namespace vorbix
