#include "cli/cli_options.h"

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>

#include "dither/methods.h"
#include "io/local_name.h"
#include "pipeline/best_colours.h"

namespace vorbix {

std::optional<ColourValue> ParseHexColour(const QString& text) {
    QString hex = text.trimmed();
    if (hex.startsWith('#')) hex.remove(0, 1);
    // toUInt alone would take a sign or a "0x".
    const bool hexDigits = std::all_of(hex.begin(), hex.end(), [](QChar c) { return std::isxdigit(c.unicode()) && c.unicode() < 128; });
    if (hex.size() != 6 || !hexDigits) return std::nullopt;
    const uint rgb = hex.toUInt(nullptr, 16);
    return MakeColour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

namespace {

template <std::size_t N>
bool ParsePalette(const QString& text, std::array<ColourValue, N>& palette) {
    const QStringList parts = text.split(',');
    if (parts.size() != static_cast<int>(N)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        const auto c = ParseHexColour(parts[static_cast<int>(i)]);
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

// What a run does: convert pictures, replay a settings file, or draw a screen file.
enum Command : unsigned { kConvert = 1, kReplay = 2, kRender = 4 };

const char* CommandOption(Command command) { return command == kReplay ? "--settings" : "--render"; }

// How an option's value sets the options: the usage error, if any.
using ApplyOption = std::function<std::optional<QString>(const QString& value, CliOptions& options)>;

// One option: what it goes with, and how its value sets the options.
struct OptionRule {
    QCommandLineOption option;
    unsigned commands;
    ApplyOption apply;
};

// An option without a value that sets one switch.
ApplyOption Sets(bool CliOptions::*field, bool value = true) {
    return [=](const QString&, CliOptions& options) -> std::optional<QString> {
        options.*field = value;
        return std::nullopt;
    };
}

// An option whose value is a name that must not be empty.
ApplyOption Names(QString CliOptions::*field, const QString& need) {
    return [=](const QString& text, CliOptions& options) -> std::optional<QString> {
        if (text.isEmpty()) return need;
        options.*field = text;
        return std::nullopt;
    };
}

std::optional<QString> WholeNumber(const QString& text, int least, int most, int& value, const QString& need) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < least || number > most) return need;
    value = number;
    return std::nullopt;
}

std::optional<QString> SliderMove(Slider slider, const QString& name, const QString& text, CliOptions& options) {
    int value = 0;
    if (auto wrong = WholeNumber(text, 0, 100, value, "--" + name + " needs a whole number 0..100")) return wrong;
    options.sliders[static_cast<int>(slider)] = value;
    return std::nullopt;
}

template <std::size_t N>
std::optional<QString> Swatches(const QString& text, std::array<ColourValue, N>& swatches, int& best, const QString& need) {
    const std::optional<int> choice = BestChoice(text);
    if (!choice) return QString("best:K takes K from 1 to %1").arg(kMaxSwatchCandidates);
    best = *choice;
    if (best == 0 && !ParsePalette(text, swatches)) return need;
    return std::nullopt;
}

std::vector<OptionRule> OptionRules() {
    using Options = CliOptions;
    using Wrong = std::optional<QString>;
    const Wrong fine = std::nullopt;
    std::vector<OptionRule> rules = {
        {{"mode", "TVC mode: 2, 4 or 16 (default 16).", "2|4|16"}, kConvert | kRender,
         [=](const QString& text, Options& o) -> Wrong {
             bool number = false;
             const std::optional<TvcMode> mode = ModeWithNumber(text.toInt(&number));
             if (!number || !mode || text != QString::number(ModeOf(*mode).number))
                 return "--mode must be 2, 4 or 16, not \"" + text + "\"";
             o.mode = *mode;
             o.layoutGiven = true;
             return fine;
         }},
        {{"method", QString("Method 1..%1 or its caption (default 17, \"Pattern TVC\").").arg(kAllMethodCount), "M"}, kConvert,
         [=](const QString& text, Options& o) -> Wrong {
             const auto found = FindMethod(text.toStdString());
             if (!found)
                 return "unknown method \"" + text + "\": give 1.." + QString::number(kAllMethodCount) +
                        " or a caption such as \"Floyd\"";
             o.method = *found;
             return fine;
         }},
        {{"no-resize", "Untick \"Resize\" before loading."}, kConvert, Sets(&Options::resize, false)},
        {{"keep-shape", "With \"Resize\": fit the whole picture in between black bars, or fill the screen and crop the "
                        "middle (default stretch: the picture takes the screen's shape).",
          "fit|fill"},
         kConvert,
         [=](const QString& text, Options& o) -> Wrong {
             const std::optional<KeepShape> shape = KeepShapeNamed(text.toStdString());
             if (!shape) return "--keep-shape must be fit, fill or stretch, not \"" + text + "\"";
             o.keepShape = *shape;
             return fine;
         }},
        {{"palette2", "2-colour swatches as RRGGBB hex, or best: the TVC colours that look most alike (best:K the K-th "
                      "of the sets offered).",
          "C0,C1|best[:K]"},
         kConvert | kRender,
         [](const QString& text, Options& o) {
             o.layoutGiven = true;
             return Swatches(text, o.palette2, o.bestPalette2,
                             "--palette2 needs two RRGGBB colours separated by a comma, best or best:K");
         }},
        {{"palette4", "4-colour swatches as RRGGBB hex, or best: the TVC colours that look most alike (best:K the K-th "
                      "of the sets offered).",
          "C0,C1,C2,C3|best[:K]"},
         kConvert | kRender,
         [](const QString& text, Options& o) {
             o.layoutGiven = true;
             return Swatches(text, o.palette4, o.bestPalette4,
                             "--palette4 needs four RRGGBB colours separated by commas, best or best:K");
         }},
        {{"out-dir", "Where files go, created if missing (default: current folder).", "DIR"}, kConvert | kReplay,
         Names(&Options::outDir, "--out-dir needs a folder")},
        {{"work", "Also write the mode's work surface as a 24-bit BMP.", "FILE"}, kConvert | kReplay,
         Names(&Options::work, "--work needs a file name")},
        {{"cas", "Also write a TVC program file that shows the picture (screen.cas, or NAME.cas each)."}, kConvert | kReplay,
         Sets(&Options::cas)},
        {{"wav", "Also write the program as the sound of its tape, to play into the TVC's tape input (screen.wav, or "
                 "NAME.wav each)."},
         kConvert | kReplay,
         Sets(&Options::wav)},
        {{"sheet", "Also every method's result on the picture, side by side, as a PNG.", "FILE.png"}, kConvert | kReplay,
         Names(&Options::sheet, "--sheet needs a file name")},
        {{"sheet-scale", "The sheet's previews reduced by 1, 2 or 4 (default 2).", "S"}, kConvert | kReplay,
         [=](const QString& text, Options& o) -> Wrong {
             if (text != "1" && text != "2" && text != "4") return QString("--sheet-scale must be 1, 2 or 4");
             o.sheetScale = text.toInt();
             return fine;
         }},
        {{"render", "Draw a screen file (.tim, or a bare .bin in --mode with --palette2/--palette4) as the TVC shows it "
                    "into the PNG named after it, at 512 x 480; nothing is converted.",
          "SCREEN"},
         kRender,
         Names(&Options::render, "--render needs a screen file and one PNG to draw it into")},
        {{"json", "One JSON object per line on stdout for each picture."}, kConvert | kReplay,
         Sets(&Options::json)},
        {{"jobs", "Threads at work at once, on pictures and within each (default and at most: one per core; further "
                  "pictures wait their turn).",
          "N"},
         kConvert,
         [=](const QString& text, Options& o) {
             return WholeNumber(text, 1, std::numeric_limits<int>::max(), o.jobs, "--jobs needs a whole number of at least 1");
         }},
        {{"settings", "Replay a settings file saved by the window on the picture given, or on the one it names beside "
                      "it; write the files and check that screen.tim is the same (exit 1, saying what differs, when it "
                      "is not).",
          "FILE"},
         kReplay,
         Names(&Options::settings, "--settings needs a settings file and at most one picture")},
        {{"refine", "Refine the result for at most SECONDS (a positive number) after the conversion and the sliders, "
                    "before saving: every pixel tries the other colours and its neighbours' until no change makes it "
                    "look more alike.",
          "SECONDS"},
         kConvert,
         [=](const QString& text, Options& o) -> Wrong {
             bool ok = false;
             const double seconds = text.toDouble(&ok);
             if (!ok || !(seconds > 0) || !std::isfinite(seconds))
                 return "--refine needs a positive number of seconds, not \"" + text + "\"";
             o.refineSeconds = seconds;
             return fine;
         }},
    };
    const struct {
        Slider slider;
        const char* name;
        const char* caption;
    } sliders[] = {{Slider::Brightness, "brightness", "Brightness"},
                   {Slider::Gamma, "gamma", "Gamma"},
                   {Slider::Colour, "color", "Color"},
                   {Slider::Contrast, "contrast", "Contrast"}};
    for (const auto& s : sliders)
        rules.push_back({{s.name, QString("Move \"%1\" to V (0..100), then \"Set\".").arg(s.caption), "V"}, kConvert,
                         [slider = s.slider, name = QString(s.name)](const QString& text, Options& o) {
                             return SliderMove(slider, name, text, o);
                         }});
    return rules;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Converts pictures into TVC screen files (screen.bin, screen.tim) and a BMP preview.");
    parser.addHelpOption();
    parser.addVersionOption();
    const std::vector<OptionRule> rules = OptionRules();
    for (const OptionRule& rule : rules) parser.addOption(rule.option);
    parser.addPositionalArgument("PICTURE", "Pictures to convert (JPEG, PNG or BMP).", "PICTURE...");

    if (!parser.parse(QStringList{"vorbix-cli"} + arguments)) return UsageError(parser.errorText());
    if (parser.isSet("help")) return {std::nullopt, {}, true, false, HelpText(parser.helpText())};
    if (parser.isSet("version")) return {std::nullopt, {}, false, true, {}};
    if (parser.isSet("render") && parser.isSet("settings")) return UsageError("--render and --settings do not go together");
    const Command command = parser.isSet("render") ? kRender : parser.isSet("settings") ? kReplay : kConvert;

    CliOptions options;
    for (const OptionRule& rule : rules) {
        if (!parser.isSet(rule.option)) continue;
        const QString name = "--" + rule.option.names().first();
        if (!(rule.commands & command))
            return UsageError(name + " does not go with " + CommandOption(command) +
                              (command == kReplay ? ": the settings give the result" : ""));
        if (const std::optional<QString> wrong = rule.apply(parser.value(rule.option), options)) return UsageError(*wrong);
    }
    options.pictures = parser.positionalArguments();
    if (command == kRender && options.pictures.size() != 1)
        return UsageError("--render needs a screen file and one PNG to draw it into");
    if (command == kReplay && options.pictures.size() > 1)
        return UsageError("--settings needs a settings file and at most one picture");
    if (command == kConvert && options.pictures.isEmpty()) return UsageError("no picture given");
    return {options, std::nullopt, false, false, {}};
}

std::string PictureFile(const CliOptions& options, int i) {
    if (i < static_cast<int>(options.pictureFiles.size())) return options.pictureFiles[i];
    return LocalName(options.pictures[i]);
}

std::vector<std::string> LocalNames(const QStringList& decoded, const std::vector<std::string>& raw) {
    std::vector<std::string> names;
    std::vector<bool> used(raw.size(), false);
    for (const QString& name : decoded) {
        std::string bytes = LocalName(name);
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
