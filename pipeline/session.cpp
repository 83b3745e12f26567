#include "pipeline/session.h"

#include "core/colour_count.h"
#include "core/tone.h"
#include "dither/pattern.h"
#include "io/file_write.h"
#include "draw/screen_render.h"
#include "pipeline/likeness_of.h"

namespace vorbix {

namespace {

constexpr ColourValue kEmptyLoaded = MakeColour(128, 128, 128);

}  // namespace

Session::Session()
    : loaded_(std::make_shared<const Picture>(96, 64, kEmptyLoaded)),
      sourceView_(kPreviewWidth, kPreviewHeight, kViewBackground),
      preview_(kPreviewWidth, kPreviewHeight, kViewBackground) {
    for (const ModeInfo& mode : kModes)
        surfaces_[static_cast<int>(mode.mode)] = Picture(mode.width, mode.height, kSurfaceBackground);
}

void Session::SetSwatchColour(TvcMode mode, int index, ColourValue colour) {
    const std::span<ColourValue> swatches = settings_.Swatches(mode);
    if (index >= 0 && static_cast<std::size_t>(index) < swatches.size()) swatches[index] = colour;
}

void Session::SetMethod(int method) {
    if (IsMethodNumber(method)) settings_.method = method;
}

void Session::SetMixes(const MixTable& mixes) {
    mixes_ = mixes;
    mixesOn_ = mixes_.OnCount();
}

void Session::Reconvert() {
    openedScreen_.reset();
    randomBeforeLast_ = random_.Drawn();
    Picture& surface = surfaces_[static_cast<int>(settings_.mode)];
    Conversion result =
        Convert(sourceView_, settings_, mixes_, random_, Canvas{std::move(surface), std::move(preview_)}, palette_);
    surface = std::move(result.surface);
    preview_ = std::move(result.preview);
    palette_ = std::move(result.palette);
    resultColours_ = result.colours;
    milliseconds_ = result.milliseconds;
    ++conversions_;
    refinements_.clear();
}

void Session::ChooseMode(TvcMode mode) {
    settings_.mode = mode;
    Reconvert();
}

void Session::ChooseMethod(int method) {
    if (!IsMethodNumber(method)) return;
    settings_.method = method;
    Reconvert();
}

void Session::ReplaceLoaded(const Picture& picture) {
    loaded_ = std::make_shared<const Picture>(picture);
    scaledLoaded_ = Picture();
}

Session Session::StartedWith(const ConversionSettings& settings) {
    Session session;
    session.SetResize(settings.resize);
    session.SetKeepShape(settings.keepShape);
    session.ChooseMode(settings.mode);
    session.ChooseMethod(settings.method);
    for (int i = 0; i < 2; ++i) session.SetSwatchColour(TvcMode::Graphics2, i, settings.swatches2[i]);
    for (int i = 0; i < 4; ++i) session.SetSwatchColour(TvcMode::Graphics4, i, settings.swatches4[i]);
    return session;
}

void Session::Load(Picture picture) {
    if (picture.Empty()) return;
    // The work that grows with the picture comes before any change, so that running out of
    // memory leaves the document as it was.
    const int colours = CountColours(picture);
    settings_.autoPalette = true;
    loaded_ = std::make_shared<const Picture>(std::move(picture));
    scaledLoaded_ = Picture();
    for (int slider = 0; slider < kSliderCount; ++slider) MoveSlider(static_cast<Slider>(slider), kSliderMiddle);
    if (settings_.resize) {
        ScaleKeepingShape(sourceView_, *loaded_, settings_.keepShape);
        scaledLoaded_ = sourceView_;
    } else {
        // Where the picture does not reach, nothing of the one before stays.
        sourceView_.Fill(kViewBackground);
        StretchPicture(sourceView_, *loaded_, loaded_->Width(), loaded_->Height(), 0);
    }
    loadedColours_ = colours;
    SwitchAllMixes(true);
    Reconvert();
    settings_.autoPalette = false;
    ApplyMixes();
    sourceSteps_.clear();
}

void Session::AddSourceStep(const SourceStep& step) {
    // A drag moves one slider many times; its last place is the step.
    if (step.kind == SourceStep::Kind::Slider && !sourceSteps_.empty() &&
        sourceSteps_.back().kind == SourceStep::Kind::Slider && sourceSteps_.back().slider == step.slider)
        sourceSteps_.back() = step;
    else
        sourceSteps_.push_back(step);
}

void Session::MoveSlider(Slider slider, int value) {
    int& current = sliders_[static_cast<int>(slider)];
    if (value < 0 || value > 100 || current == value) return;
    current = value;
    RunSlider(slider);
}

void Session::ApplySlider(Slider slider) { RunSlider(slider); }

void Session::RunSlider(Slider slider) {
    const int value = SliderValue(slider);
    AddSourceStep({SourceStep::Kind::Slider, slider, value});
    if (scaledLoaded_.Empty()) {
        scaledLoaded_ = Picture(sourceView_.Width(), sourceView_.Height());
        ScaleKeepingShape(scaledLoaded_, *loaded_, settings_.keepShape);
    }
    sourceView_ = scaledLoaded_;
    switch (slider) {
        case Slider::Brightness: AdjustBrightness(sourceView_, sourceView_, value); break;
        case Slider::Gamma: AdjustGamma(sourceView_, sourceView_, value); break;
        case Slider::Colour: AdjustColour(sourceView_, sourceView_, value); break;
        case Slider::Contrast: AdjustContrast(sourceView_, sourceView_, value); break;
    }
    Reconvert();
}

void Session::Commit() {
    ReplaceLoaded(sourceView_);
    AddSourceStep({SourceStep::Kind::Set});
}

void Session::SnapSourceToMixes() {
    AddSourceStep({SourceStep::Kind::SnapToMixes});
    palette_ = PatternPalette();
    SnapToPalette(sourceView_, sourceView_, *SharedSearch(palette_));
}

void Session::PickColour(int tvcColour) {
    if (tvcColour >= 0 && tvcColour < 16) picked_ = ColourOfEntry(TvcColours()[tvcColour]);
}

void Session::SetSwatch(TvcMode mode, int index) {
    const int count = ModeOf(mode).swatchCount;
    if (index < 0 || index >= count) return;
    SetSwatchColour(mode, index, picked_);
    if (index < static_cast<int>(palette_.size())) palette_[index] = EntryFromColour(picked_);
    Reconvert();
}

void Session::ChooseSwatches(TvcMode mode, const std::vector<ColourValue>& colours) {
    for (int i = 0; i < static_cast<int>(colours.size()); ++i) SetSwatchColour(mode, i, colours[i]);
    Reconvert();
}

void Session::ToggleMix(int k) {
    if (k < 0 || k >= kMixCount) return;
    mixes_.SetOff(k, !mixes_[k].off);
    Reconvert();
}

void Session::SwapMix(int k) {
    if (k < 0 || k >= kMixCount) return;
    mixes_.SwapColours(k);
    mixes_.ToggleSwapMark(k);
    Reconvert();
}

void Session::SwitchMix(int k, bool on, bool swapColours) {
    if (k < 0 || k >= kMixCount) return;
    mixes_.SetOff(k, !on);
    if (swapColours) mixes_.SwapColours(k);
    ApplyMixes();
}

void Session::SwitchAllMixes(bool on) {
    mixes_.SetAll(!on);
    ApplyMixes();
}

void Session::ApplyMixes() {
    mixesOn_ = mixes_.OnCount();
    Reconvert();
}

RefineStart Session::StartOfRefinement() const {
    RefineStart start{sourceView_, Mode(), Surface(Mode()), palette_, std::nullopt};
    if (Mode() == TvcMode::Graphics16 && Method() == kPatternTvc) start.mixes = mixes_;
    return start;
}

bool Session::AcceptRefinement(const RefineStart& from, const Refinement& refinement, double budgetSeconds) {
    if (openedScreen_ || refinement.cancelled || !(from == StartOfRefinement())) return false;
    const std::span<ColourValue> swatches = settings_.Swatches(Mode());
    std::vector<RefinementRun> runs = refinements_;
    runs.push_back({budgetSeconds, refinement.converged, {swatches.begin(), swatches.end()}});
    if (refinement.palette.size() == palette_.size()) palette_ = refinement.palette;
    for (std::size_t i = 0; i < swatches.size() && i < palette_.size(); ++i) swatches[i] = ColourOfEntry(palette_[i]);
    ShowRefined(refinement.surface, std::move(runs));
    return true;
}

Refinement Session::Refine(double seconds, TaskProgress* progress) {
    const RefineStart start = StartOfRefinement();
    Refinement refinement = vorbix::Refine(start, seconds, progress);
    AcceptRefinement(start, refinement, seconds);
    return refinement;
}

void Session::ShowRefined(const Picture& surface, std::vector<RefinementRun> refinements) {
    Picture& shown = surfaces_[static_cast<int>(Mode())];
    shown = surface;
    ScaleInto(preview_, shown, settings_.resize, false);
    resultColours_ = CountColours(settings_.resize ? shown : preview_);
    refinements_ = std::move(refinements);
}

double Session::Likeness() const { return LikenessOf(sourceView_, Mode(), Surface(Mode()), palette_); }
double Session::DeltaE() const { return DeltaEOf(sourceView_, Mode(), Surface(Mode()), palette_); }

int Session::MixFor(ColourValue colour) const {
    static const Palette kMixColours = PatternPalette();
    const Palette& mixColours = palette_.size() == kMixCount ? palette_ : kMixColours;
    return NearestMix(mixColours, mixes_, GetRed(colour), GetGreen(colour), GetBlue(colour));
}

int Session::PaletteIndexFor(ColourValue colour) const {
    return NearestColourIndex(palette_, GetRed(colour), GetGreen(colour), GetBlue(colour));
}

Status Session::ShowScreenFile(const std::vector<std::uint8_t>& timBytes) {
    Result<ShownResult> opened = ShownScreenFile(timBytes);
    if (!opened) return opened.Failure();
    const ScreenFile& screen = opened.Value().screen;
    preview_ = RenderScreenLikeThePreview(screen.mode, screen.image, screen.registers);
    resultColours_ = CountColours(preview_);
    openedScreen_ = std::move(opened.Value());
    return {};
}

ShownResult Session::Shown() const {
    return openedScreen_ ? *openedScreen_ : ShownConversion(Mode(), Surface(Mode()), palette_);
}

Status Session::Save(const SavePaths& paths) const { return WriteFilesWhole(SaveFiles(paths)); }

std::vector<FileToWrite> Session::SaveFiles(const SavePaths& paths) const {
    return SavedFiles(Shown(), preview_, paths);
}

std::vector<std::uint8_t> Session::ScreenTimFileBytes() const { return TimFileBytes(Shown()); }

Result<ProgramWritten> Session::SaveProgram(const std::string& path, ProgramFormat format) const {
    return WriteProgramFile(path, ProgramFileBytes(format));
}

ProgramFile Session::ProgramFileBytes(ProgramFormat format) const { return ProgramFileOf(Shown(), format); }

Session::Snapshot Session::TakeSnapshot(bool withLoaded, bool withSourceView) const {
    Snapshot snapshot;
    if (withLoaded) snapshot.loaded = *loaded_;
    if (withSourceView) snapshot.sourceView = sourceView_;
    snapshot.swatches2 = settings_.swatches2;
    snapshot.swatches4 = settings_.swatches4;
    snapshot.palette = palette_;
    snapshot.mixes = mixes_;
    snapshot.mixesOn = mixesOn_;
    snapshot.sourceSteps = sourceSteps_;
    if (Refined()) {
        snapshot.refinedSurface = Surface(Mode());
        snapshot.refinements = refinements_;
    }
    return snapshot;
}

void Session::Restore(const Snapshot& snapshot) {
    if (snapshot.loaded) ReplaceLoaded(*snapshot.loaded);
    if (snapshot.sourceView) sourceView_ = *snapshot.sourceView;
    settings_.swatches2 = snapshot.swatches2;
    settings_.swatches4 = snapshot.swatches4;
    palette_ = snapshot.palette;
    mixes_ = snapshot.mixes;
    mixesOn_ = snapshot.mixesOn;
    sourceSteps_ = snapshot.sourceSteps;
}

void Session::RestoreRefinement(const Snapshot& snapshot) {
    const Picture& surface = Surface(Mode());
    if (!snapshot.refinedSurface || openedScreen_ || snapshot.refinedSurface->Width() != surface.Width() ||
        snapshot.refinedSurface->Height() != surface.Height())
        return;
    ShowRefined(*snapshot.refinedSurface, snapshot.refinements);
}

}  // namespace vorbix
