#include "cli/cli_options.h"

#include <cmath>

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "dither/methods.h"
#include "pipeline/best_colours.h"

namespace vorbix {

std::optional<ColorValue> ParseHexColor(const QString& text) {
    QString hex = text.trimmed();
    if (hex.startsWith('#')) hex.remove(0, 1);
    // toUInt alone would take a sign or a "0x".
    const bool hexDigits = std::all_of(hex.begin(), hex.end(), [](QChar c) { return std::isxdigit(c.unicode()) && c.unicode() < 128; });
    if (hex.size() != 6 || !hexDigits) return std::nullopt;
    const uint rgb = hex.toUInt(nullptr, 16);
    return MakeColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

namespace {

template <std::size_t N>
bool ParsePalette(const QString& text, std::array<ColorValue, N>& palette) {
    const QStringList parts = text.split(',');
    if (parts.size() != static_cast<int>(N)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        const auto c = ParseHexColor(parts[static_cast<int>(i)]);
        if (!c) return false;
        palette[i] = *c;
    }
    return true;
}

// "best" is 1 and "best:K" is K (1..kMaxSwatchCandidates), anything else not best (0); empty when
// best:K has no such K.
std::optional<int> BestChoice(const QString& text) {
    if (text.compare("best", Qt::CaseInsensitive) == 0) return 1;
    if (!text.startsWith("best:", Qt::CaseInsensitive)) return 0;
    bool number = false;
    const int k = text.mid(5).toInt(&number);
    if (!number || k < 1 || k > kMaxSwatchCandidates) return std::nullopt;
    return k;
}

// Qt's text names the program by the path it was started with; the usage names it as installed,
// and the exit statuses follow the options.
QString HelpText(const QString& qtHelp) {
    QString text = qtHelp.mid(qtHelp.indexOf('\n') + 1);
    return "Usage: vorbix-cli [options] PICTURE...\n"
           "       vorbix-cli --settings FILE [PICTURE] [--out-dir DIR]\n"
           "       vorbix-cli --render SCREEN OUT.png\n" +
           text.trimmed() +
           "\n\nExit status:\n"
           "  0  every picture converted (with --settings: the same screen.tim)\n"
           "  1  a picture failed, each named on stderr (with --settings: a different result)\n"
           "  2  a usage error\n";
}

ParsedCommandLine UsageError(const QString& message) { return {std::nullopt, message, false, false, {}}; }

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Converts pictures into TVC screen files (screen.bin, screen.tim) and a BMP preview.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption mode("mode", "TVC mode: 2, 4 or 16 (default 16).", "2|4|16", "16");
    const QCommandLineOption method(
        "method", QString("Method 1..%1 or its caption (default 17, \"Pattern TVC\").").arg(kAllMethodCount), "M", "17");
    const QCommandLineOption noResize("no-resize", "Untick \"Resize\" before loading.");
    const QCommandLineOption keepShape("keep-shape",
                                       "With \"Resize\": fit the whole picture in between black bars, or fill the "
                                       "screen and crop the middle (default stretch: the picture takes the screen's shape).",
                                       "fit|fill");
    const QCommandLineOption palette2("palette2", "2-colour swatches as RRGGBB hex, or best: the TVC colours that look most alike (best:K the K-th of the sets offered).",
                                      "C0,C1|best[:K]");
    const QCommandLineOption palette4("palette4", "4-colour swatches as RRGGBB hex, or best: the TVC colours that look most alike (best:K the K-th of the sets offered).",
                                      "C0,C1,C2,C3|best[:K]");
    const std::array<QCommandLineOption, kSliderCount> sliders = {
        QCommandLineOption("brightness", "Move \"Brightness\" to V (0..100), then \"Set\".", "V"),
        QCommandLineOption("gamma", "Move \"Gamma\" to V (0..100), then \"Set\".", "V"),
        QCommandLineOption("color", "Move \"Color\" to V (0..100), then \"Set\".", "V"),
        QCommandLineOption("contrast", "Move \"Contrast\" to V (0..100), then \"Set\".", "V"),
    };
    const QCommandLineOption outDir("out-dir", "Where files go, created if missing (default: current folder).", "DIR", ".");
    const QCommandLineOption work("work", "Also write the mode's work surface as a 24-bit BMP.", "FILE");
    const QCommandLineOption cas("cas", "Also write a TVC program file that shows the picture (screen.cas, or NAME.cas each).");
    const QCommandLineOption wav("wav", "Also write the program as the sound of its tape, to play into the TVC's tape input "
                                        "(screen.wav, or NAME.wav each).");
    const QCommandLineOption sheet("sheet", "Also every method's result on the picture, side by side, as a PNG.", "FILE.png");
    const QCommandLineOption sheetScale("sheet-scale", "The sheet's previews reduced by 1, 2 or 4 (default 2).", "S", "2");
    const QCommandLineOption render("render",
                                    "Draw a screen file (.tim, or a bare .bin in --mode with --palette2/--palette4) as the TVC "
                                    "shows it into the PNG named after it, at 512 x 480; nothing is converted.",
                                    "SCREEN");
    const QCommandLineOption jobs("jobs", "Threads at work at once, on pictures and within each (default: one per core; at most one per picture or core, whichever is more).", "N");
    const QCommandLineOption refine("refine",
                                    "Refine the result for at most SECONDS (a positive number) after the conversion and "
                                    "the sliders, before saving: every pixel tries the other colours and its neighbours' "
                                    "until no change makes it look more alike.",
                                    "SECONDS");
    const QCommandLineOption json("json", "One JSON object per line on stdout for each picture.");
    const QCommandLineOption settings("settings",
                                      "Replay a settings file saved by the window on the picture given, or on the one it "
                                      "names beside it; write the files and check that screen.tim is the same (exit 1, "
                                      "saying what differs, when it is not).",
                                      "FILE");
    parser.addOptions({mode, method, noResize, keepShape, palette2, palette4, outDir, work, cas, wav, sheet, sheetScale, render, json, jobs,
                       settings, refine});
    for (const auto& s : sliders) parser.addOption(s);
    parser.addPositionalArgument("PICTURE", "Pictures to convert (JPEG, BMP, ...).", "PICTURE...");

    if (!parser.parse(QStringList{"vorbix-cli"} + arguments)) return UsageError(parser.errorText());
    if (parser.isSet("help")) return {std::nullopt, {}, true, false, HelpText(parser.helpText())};
    if (parser.isSet("version")) return {std::nullopt, {}, false, true, {}};

    CliOptions options;
    const QString modeText = parser.value(mode);
    bool modeIsNumber = false;
    const std::optional<TvcMode> chosenMode = ModeWithNumber(modeText.toInt(&modeIsNumber));
    if (!modeIsNumber || !chosenMode || modeText != QString::number(ModeOf(*chosenMode).number))
        return UsageError("--mode must be 2, 4 or 16, not \"" + modeText + "\"");
    options.mode = *chosenMode;

    const auto found = FindMethod(parser.value(method).toStdString());
    if (!found)
        return UsageError("unknown method \"" + parser.value(method) + "\": give 1.." + QString::number(kAllMethodCount) +
                          " or a caption such as \"Floyd\"");
    options.method = *found;

    options.resize = !parser.isSet(noResize);
    if (parser.isSet(keepShape)) {
        const std::optional<KeepShape> shape = KeepShapeNamed(parser.value(keepShape).toStdString());
        if (!shape) return UsageError("--keep-shape must be fit, fill or stretch, not \"" + parser.value(keepShape) + "\"");
        options.keepShape = *shape;
    }
    const std::optional<int> best2 = BestChoice(parser.value(palette2));
    const std::optional<int> best4 = BestChoice(parser.value(palette4));
    if (!best2 || !best4) return UsageError(QString("best:K takes K from 1 to %1").arg(kMaxSwatchCandidates));
    options.bestPalette2 = *best2;
    options.bestPalette4 = *best4;
    if (parser.isSet(palette2) && !options.bestPalette2 && !ParsePalette(parser.value(palette2), options.palette2))
        return UsageError("--palette2 needs two RRGGBB colours separated by a comma, best or best:K");
    if (parser.isSet(palette4) && !options.bestPalette4 && !ParsePalette(parser.value(palette4), options.palette4))
        return UsageError("--palette4 needs four RRGGBB colours separated by commas, best or best:K");
    for (int i = 0; i < kSliderCount; ++i) {
        if (!parser.isSet(sliders[i])) continue;
        bool ok = false;
        const int value = parser.value(sliders[i]).toInt(&ok);
        if (!ok || value < 0 || value > 100)
            return UsageError("--" + sliders[i].names().first() + " needs a whole number 0..100");
        options.sliders[i] = value;
    }
    options.outDir = parser.value(outDir);
    if (options.outDir.isEmpty()) return UsageError("--out-dir needs a folder");
    options.work = parser.value(work);
    options.cas = parser.isSet(cas);
    options.wav = parser.isSet(wav);
    options.sheet = parser.value(sheet);
    if (parser.isSet(sheet) && options.sheet.isEmpty()) return UsageError("--sheet needs a file name");
    const QString scaleText = parser.value(sheetScale);
    if (scaleText != "1" && scaleText != "2" && scaleText != "4") return UsageError("--sheet-scale must be 1, 2 or 4");
    options.sheetScale = scaleText.toInt();
    options.render = parser.value(render);
    options.layoutGiven = parser.isSet(mode) || parser.isSet(palette2) || parser.isSet(palette4);
    if (parser.isSet(refine)) {
        bool ok = false;
        const double seconds = parser.value(refine).toDouble(&ok);
        if (!ok || !(seconds > 0) || !std::isfinite(seconds))
            return UsageError("--refine needs a positive number of seconds, not \"" + parser.value(refine) + "\"");
        options.refineSeconds = seconds;
    }
    options.json = parser.isSet(json);
    if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1) return UsageError("--jobs needs a whole number of at least 1");
    }
    options.pictures = parser.positionalArguments();
    if (parser.isSet(render) && (options.render.isEmpty() || options.pictures.size() != 1))
        return UsageError("--render needs a screen file and one PNG to draw it into");
    options.settings = parser.value(settings);
    if (parser.isSet(settings)) {
        if (options.settings.isEmpty() || options.pictures.size() > 1)
            return UsageError("--settings needs a settings file and at most one picture");
        return {options, {}, false, false, {}};
    }
    if (options.pictures.isEmpty()) return UsageError("no picture given");
    return {options, {}, false, false, {}};
}

std::string PictureFile(const CliOptions& options, int i) {
    if (i < static_cast<int>(options.pictureFiles.size())) return options.pictureFiles[i];
    return QFile::encodeName(options.pictures[i]).toStdString();
}

std::vector<std::string> LocalNames(const QStringList& decoded, const std::vector<std::string>& raw) {
    std::vector<std::string> names;
    std::vector<bool> used(raw.size(), false);
    for (const QString& name : decoded) {
        std::string bytes = QFile::encodeName(name).toStdString();
        for (std::size_t i = 0; i < raw.size(); ++i)
            if (!used[i] && QFile::decodeName(QByteArray::fromStdString(raw[i])) == name) {
                used[i] = true;
                bytes = raw[i];
                break;
            }
        names.push_back(bytes);
    }
    return names;
}

}  // namespace vorbix
