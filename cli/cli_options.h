#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/picture.h"
#include "core/tvc.h"
#include "pipeline/session.h"

namespace vorbix {

struct CliOptions {
    TvcMode mode = TvcMode::Graphics16;
    int method = 17;
    bool resize = true;
    KeepShape keepShape = KeepShape::Stretch;  // how "Resize" scales a picture of another shape
    std::array<ColourValue, 2> palette2 = kDefaultSwatches2;
    std::array<ColourValue, 4> palette4 = kDefaultSwatches4;
    // "best" or "best:K" instead of colours: the K-th set "Best colours" offers (1, the best),
    // chosen after loading; 0: the colours given.
    int bestPalette2 = 0;
    int bestPalette4 = 0;
    std::array<std::optional<int>, kSliderCount> sliders;
    QString outDir = ".";
    QString work;
    bool cas = false;  // also a TVC program file
    bool wav = false;  // also the program's tape sound
    QString sheet;       // also every method's result side by side, as a PNG
    int sheetScale = 2;  // the sheet's previews reduced by this: 1, 2 or 4
    // Draw this screen file as the machine shows it into the one PNG named, instead of converting.
    QString render;
    std::string renderFile;  // render as the system names it, as pictureFiles
    bool layoutGiven = false;  // --mode or a palette was given: how a bare screen file is shown
    // Replay this settings file (on the picture given, or the one it names) and check the result.
    QString settings;
    std::string settingsFile;  // settings as the system names it, as pictureFiles
    // Refine the result by direct binary search for at most this many seconds before saving.
    std::optional<double> refineSeconds;
    bool json = false;
    int jobs = 0;  // threads at work at once, at most one per core; 0: one per core
    QStringList pictures;
    // The pictures as the system names them: a name that is not valid UTF-8 decodes lossily into
    // pictures, so files are opened by these bytes. Empty: encoded from pictures.
    std::vector<std::string> pictureFiles;
};

struct ParsedCommandLine {
    std::optional<CliOptions> options;
    std::optional<QString> error;  // a usage error, when there are no options
    bool help = false;
    bool version = false;
    QString helpText;
};

// Arguments without the program name.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

// The bytes each decoded argument came from (raw: the arguments as given, in order), so that a
// name that is not valid UTF-8 still opens its file.
std::vector<std::string> LocalNames(const QStringList& decoded, const std::vector<std::string>& raw);

// The i-th picture's name as the system names it.
std::string PictureFile(const CliOptions& options, int i);

// "RRGGBB" (an optional leading '#') as a colour value.
std::optional<ColourValue> ParseHexColour(const QString& text);

}  // namespace vorbix
