#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/picture.h"
#include "core/tvc.h"
#include "dither/mix_table.h"
#include "dither/random_sequence.h"
#include "io/cas_file.h"
#include "io/result.h"
#include "io/save_paths.h"
#include "pipeline/convert.h"
#include "pipeline/refine.h"
#include "pipeline/shown_result.h"

namespace vorbix {

enum class Slider { Brightness = 0, Gamma = 1, Colour = 2, Contrast = 3 };
constexpr int kSliderCount = 4;
constexpr int kSliderMiddle = 50;

// A change of the source view after loading, in the order made: a slider moved (or applied where
// it stood), "Set" (the adjusted view becomes the loaded picture), or the snap to the mix colours.
struct SourceStep {
    enum class Kind { Slider, Set, SnapToMixes };
    Kind kind = Kind::Slider;
    Slider slider = Slider::Brightness;
    int value = kSliderMiddle;

    bool operator==(const SourceStep&) const = default;
};

// A refinement the shown result went through: the time it was given, whether it converged
// before that (then it gives the same pixels anywhere: only the clock's stop depends on the
// machine), and in Graphics 2 and 4 the swatches it started from, as it may choose others.
struct RefinementRun {
    double budgetSeconds = 0;
    bool converged = false;
    std::vector<ColourValue> startSwatches;

    bool operator==(const RefinementRun&) const = default;
};

// The document: the loaded picture, its adjusted source view, the user's settings, the pattern
// mixes, and the last conversion. Each verb says which conversions it runs; a conversion reads
// everything from here and leaves its result here. Copyable, so a copy can be converted without
// touching the original.
class Session {
public:
    Session();  // defaults: "Graphics 16", "Pattern TVC", "Resize" ticked, nothing converted yet
    // A fresh document given these choices the way the command line gives them, before any picture:
    // "Resize", the mode and the method chosen (a conversion each), then the swatches.
    static Session StartedWith(const ConversionSettings& settings);

    // --- pictures
    const Picture& Loaded() const { return *loaded_; }
    const Picture& SourceView() const { return sourceView_; }  // 512 x 480, after the tone sliders
    const Picture& Preview() const { return preview_; }        // 512 x 480
    const Picture& Surface(TvcMode mode) const { return surfaces_[static_cast<int>(mode)]; }

    // --- settings and figures
    const ConversionSettings& Settings() const { return settings_; }
    TvcMode Mode() const { return settings_.mode; }
    int Method() const { return settings_.method; }
    int SliderValue(Slider slider) const { return sliders_[static_cast<int>(slider)]; }
    ColourValue PickedColour() const { return picked_; }
    const MixTable& Mixes() const { return mixes_; }
    // What the last conversion matched against (see Conversion::palette), or what
    // SnapSourceToMixes installed; the screen encoder and the inspector read it.
    const Palette& PaletteInUse() const { return palette_; }
    int LoadedColours() const { return loadedColours_; }
    int ResultColours() const { return resultColours_; }
    int Milliseconds() const { return milliseconds_; }
    int MixesOn() const { return mixesOn_; }  // as counted by the last ApplyMixes
    // The likeness of the last conversion (LikenessOf; lower is closer), and its colour
    // difference alone (DeltaEOf, S-CIELAB ΔE); worked out on each call, not cached, so that a
    // front end can leave them until the user pauses.
    double Likeness() const;
    double DeltaE() const;
    long ConversionCount() const { return conversions_; }
    // The source view's changes since the picture was loaded; a drag is one step.
    const std::vector<SourceStep>& SourceSteps() const { return sourceSteps_; }
    // How many random numbers were drawn before the last conversion began.
    std::uint64_t RandomDrawnBeforeLastConversion() const { return randomBeforeLast_; }
    // How many the next conversion starts after.
    std::uint64_t RandomDrawn() const { return random_.Drawn(); }

    // --- settings that take effect at the next conversion (no conversion)
    void SetResize(bool on) { settings_.resize = on; }
    // Takes effect when a picture is next loaded (and at the next slider, which rebuilds the view
    // from the loaded picture): a front end that changes it for the shown picture loads it again.
    void SetKeepShape(KeepShape shape) { settings_.keepShape = shape; }
    void SetAutoPalette(bool on) { settings_.autoPalette = on; }
    void SetMode(TvcMode mode) { settings_.mode = mode; }
    void SetMethod(int method);  // 1..kAllMethodCount, others ignored
    // The mixes as given, counted as "SetT Pattern" counts them.
    void SetMixes(const MixTable& mixes);
    // The random numbers the next conversion draws: those after the first drawn ones.
    void SetRandomDrawn(std::uint64_t drawn) { random_ = RandomSequence::AfterDrawing(drawn); }
    // A 2- or 4-colour swatch given a colour, as start-up settings.
    void SetSwatchColour(TvcMode mode, int index, ColourValue colour);

    // --- verbs
    void Reconvert();  // one conversion
    void ChooseMode(TvcMode mode);  // one conversion
    void ChooseMethod(int method);  // one conversion; 1..kAllMethodCount, others ignored
    // Ticks "Auto Palette", makes the picture the loaded one, moves every slider to the middle
    // (a conversion for each that moves), scales it into the source view (with "Resize" in the
    // chosen shape, else at its own size), counts its colours,
    // switches every mix on (a conversion), converts, unticks "Auto Palette" and applies the
    // mixes (a conversion): three conversions when no slider moved.
    void Load(Picture picture);
    // Moves a slider; when the value changes, rebuilds the source view from the loaded picture
    // with that one adjustment and converts.
    void MoveSlider(Slider slider, int value);
    // The slider's adjustment at its current value, and a conversion, whether or not it moved.
    void ApplySlider(Slider slider);
    // The adjusted source view becomes the loaded picture, so the next slider starts from it.
    // No conversion.
    void Commit();
    // Installs the 120 mix colours as the palette in use and snaps the source view to them.
    // No conversion.
    void SnapSourceToMixes();
    // The colour the 2- and 4-colour swatches take next: TVC colour number 0..15.
    void PickColour(int tvcColour);
    // Gives swatch index of the mode's set the picked colour, and the palette in use that entry
    // where it has one; one conversion.
    void SetSwatch(TvcMode mode, int index);
    // Gives all swatches of the mode's set these colours (as many as it has) and converts once.
    void ChooseSwatches(TvcMode mode, const std::vector<ColourValue>& colours);

    // --- the pattern mixes
    void ToggleMix(int k);  // switches it on or off; one conversion
    void SwapMix(int k);    // swaps its colours and its swap mark; one conversion
    // Switches the mix on or off, swapping its colours when asked, then applies the mixes.
    void SwitchMix(int k, bool on, bool swapColours);
    // Every mix on, or every mix off, no swap marks; then applies the mixes.
    void SwitchAllMixes(bool on);
    // Counts the mixes that are on and converts.
    void ApplyMixes();
    // The mix the inspector shows for a colour with "Pattern TVC": its nearest entry in the palette
    // in use where that is the 120 mix colours, skipping switched-off mixes, else in those colours.
    int MixFor(ColourValue colour) const;
    // What the inspector shows with the other methods: the nearest colour of the palette in use.
    int PaletteIndexFor(ColourValue colour) const;

    // --- refining the result: direct binary search from the last conversion (pipeline/refine.h)
    // What a refinement of the shown result starts from; a copy, so it can run on another thread.
    RefineStart StartOfRefinement() const;
    // The refined surface and palette replace the result (preview, colour count, likeness and
    // saving follow them; in Graphics 2 and 4 the swatches take the palette's colours) when the
    // result is still the one the refinement started from, and the refinement, run
    // with that budget, is added to Refinements(); false, and nothing changes, when a conversion
    // or an edit has replaced the result since, or the refinement was cancelled. No conversion.
    bool AcceptRefinement(const RefineStart& from, const Refinement& refinement, double budgetSeconds);
    // Refines the result for at most that many seconds and takes the refinement.
    Refinement Refine(double seconds, TaskProgress* progress = nullptr);
    // The refinements the result shown went through, in order; none after a conversion.
    const std::vector<RefinementRun>& Refinements() const { return refinements_; }
    bool Refined() const { return !refinements_.empty(); }

    // --- a screen file shown in place of the conversion
    // Shows the bytes of a headed screen file as the machine shows them: the preview, the colour
    // count and the shown result are its own until the next conversion, which puts the conversion
    // back. The error says what is wrong with the bytes; nothing changes then.
    Status ShowScreenFile(const std::vector<std::uint8_t>& timBytes);
    bool ShowsScreenFile() const { return openedScreen_.has_value(); }

    // --- saving reads the shown result: the selected mode's last conversion, or the screen file
    // shown, whose bytes stay as they came. Files are written whole or not at all; an error names
    // the path.
    ShownResult Shown() const;
    // The preview as a BMP and the screen files, replaced together once all are written.
    Status Save(const SavePaths& paths) const;
    // The files Save writes, for a caller that writes more of the same picture in one group.
    std::vector<FileToWrite> SaveFiles(const SavePaths& paths) const;
    // The bytes Save writes as "screen.tim".
    std::vector<std::uint8_t> ScreenTimFileBytes() const;
    // The shown result as a TVC program file or its tape sound.
    Result<ProgramWritten> SaveProgram(const std::string& path, ProgramFormat format = ProgramFormat::Cas) const;
    // The bytes SaveProgram writes.
    ProgramFile ProgramFileBytes(ProgramFormat format) const;

    // --- undo: the parts that the undoable edits (swatches, mixes, Commit, SnapSourceToMixes)
    // change, read and put back without a conversion. The pictures come along only when asked
    // for, as the loaded one can be large.
    struct Snapshot {
        std::optional<Picture> loaded;
        std::optional<Picture> sourceView;
        std::array<ColourValue, 2> swatches2{};
        std::array<ColourValue, 4> swatches4{};
        Palette palette;
        MixTable mixes;
        int mixesOn = 0;
        std::vector<SourceStep> sourceSteps;
        std::optional<Picture> refinedSurface;  // when the result was a refinement
        std::vector<RefinementRun> refinements;  // the refinements that made it

        bool operator==(const Snapshot&) const = default;
    };
    Snapshot TakeSnapshot(bool withLoaded, bool withSourceView) const;
    // Pictures are put back only where the snapshot holds them.
    void Restore(const Snapshot& snapshot);
    // After the conversion that follows Restore: the snapshot's refined surface, if it has one
    // that fits the mode, becomes the result again, with its refinements.
    void RestoreRefinement(const Snapshot& snapshot);

private:
    void RunSlider(Slider slider);
    void ReplaceLoaded(const Picture& picture);
    void AddSourceStep(const SourceStep& step);
    void ShowRefined(const Picture& surface, std::vector<RefinementRun> refinements);

    std::optional<ShownResult> openedScreen_;  // the screen file shown, until the next conversion
    std::vector<SourceStep> sourceSteps_;
    std::uint64_t randomBeforeLast_ = 0;

    // Never changed in place, only replaced: copies of the document share it, however large.
    std::shared_ptr<const Picture> loaded_;
    // The loaded picture scaled to the source view with averaging: every slider move starts from
    // it, so it is made once per loaded picture instead of once per move.
    Picture scaledLoaded_;
    Picture sourceView_;
    std::array<Picture, 3> surfaces_;
    Picture preview_;

    ConversionSettings settings_;
    std::array<int, kSliderCount> sliders_{kSliderMiddle, kSliderMiddle, kSliderMiddle, kSliderMiddle};
    ColourValue picked_ = MakeColour(64, 64, 64);
    MixTable mixes_;
    Palette palette_ = TvcColours();
    RandomSequence random_;
    int loadedColours_ = 0;
    int resultColours_ = 0;
    int milliseconds_ = 0;
    int mixesOn_ = 0;
    long conversions_ = 0;
    std::vector<RefinementRun> refinements_;
};

}  // namespace vorbix
