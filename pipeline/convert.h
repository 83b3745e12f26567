#pragma once

// The converter's spine and the document around it: Convert (a function whose inputs and outputs
// are all in its signature), the document Session with its verbs, the undo history, the method
// sheet, the check of a saved screen and the settings file of a result. Uses core/, dither/, io/
// and draw/; no window toolkit.

#include <array>
#include <span>

#include "core/keep_shape.h"
#include "core/palette.h"
#include "core/picture.h"
#include "core/tvc.h"
#include "dither/methods.h"
#include "dither/mix_table.h"
#include "dither/random_sequence.h"

namespace vorbix {

// What a work surface shows before anything was converted onto it.
inline constexpr ColourValue kSurfaceBackground = MakeColour(192, 192, 255);
// What the source view and the preview show where no picture reaches.
inline constexpr ColourValue kViewBackground = MakeColour(64, 64, 64);

// The user's choices a conversion reads.
struct ConversionSettings {
    TvcMode mode = TvcMode::Graphics16;
    int method = kPatternTvc;  // 1..kAllMethodCount
    // The whole source view fills the surface and the surface the preview; otherwise both are
    // copied at their own size into the top-left corner.
    bool resize = true;
    // How "Resize" scales the loaded picture into the source view; read when a picture is loaded
    // and when a slider rebuilds the view, not by the conversion.
    KeepShape keepShape = KeepShape::Stretch;
    // "Pattern TVC" in Graphics 16 first switches off the mixes the picture does not use.
    bool autoPalette = false;
    std::array<ColourValue, 2> swatches2 = kDefaultSwatches2;
    std::array<ColourValue, 4> swatches4 = kDefaultSwatches4;

    // The swatches of a mode: two in Graphics 2, four in Graphics 4, none in Graphics 16.
    std::span<ColourValue> Swatches(TvcMode of);
    std::span<const ColourValue> Swatches(TvcMode of) const;

    bool operator==(const ConversionSettings&) const = default;
};

struct Conversion {
    Picture surface;  // the mode's work surface, at the machine's resolution
    Picture preview;  // 512 x 480
    // What the method matched against, as the screen encoder reads it: the swatches in Graphics 2
    // and 4, the 16 TVC colours in Graphics 16, or there the 120 mix colours for "Pattern TVC".
    Palette palette;
    int colours = 0;  // distinct colours in the preview
    int milliseconds = 0;
};

// What a conversion draws on, as an earlier one left it: the mode's work surface and the preview,
// reused for their memory. Where the new result does not reach (the preview, with "Resize" off),
// the preview shows the view background, never an earlier result.
struct Canvas {
    Picture surface;
    Picture preview;
};

// Scales the source view into the mode's surface, runs the method with the mode's palette,
// snaps to the swatches where the method asks for it in Graphics 2 and 4, and enlarges the result
// onto the preview. In Graphics 16, "Pattern TVC" keeps a 120-entry palette in use as it finds
// it, and with autoPalette switches mixes off; the noisy threshold advances the random sequence.
Conversion Convert(const Picture& sourceView, const ConversionSettings& settings, MixTable& mixes,
                   RandomSequence& random, Canvas canvas, const Palette& paletteInUse);

// The method of Graphics 2 and 4 on a surface: run against the swatches (or, for "Pattern TVC",
// the mixes), then snapped to the swatches where the method asks for it.
void ReduceToSwatches(const Method& method, Picture& surface, const Palette& swatches, const MixTable& mixes,
                      RandomSequence& random);

// Scales source into destination: with resize the whole source fills the destination, otherwise
// it is copied at its own size. smooth averages the source pixels each destination pixel covers.
void ScaleInto(Picture& destination, const Picture& source, bool resize, bool smooth);

}  // namespace vorbix
