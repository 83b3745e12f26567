#include "pipeline/session.h"

#include <cctype>
#include <cmath>

#include "core/color_count.h"
#include "core/palette.h"
#include "core/tone.h"
#include "dither/methods.h"
#include "dither/pattern.h"
#include "export/bmp_file.h"

namespace vorbix {

namespace {

constexpr ColorValue kViewBackground = MakeColor(64, 64, 64);
constexpr ColorValue kSurfaceBackground = MakeColor(192, 192, 255);
constexpr ColorValue kEmptyPic1 = MakeColor(128, 128, 128);
constexpr int kMagnifierCell = kMagnifierSize / 5;

template <std::size_t N>
void PaintSwatches(std::array<ColorValue, N>& swatches, const Palette& palette) {
    for (std::size_t i = 0; i < N; ++i) swatches[i] = ColorOfEntry(palette[i]);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool EndsWithBmp(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".bmp";
}

void Magnify(Picture& zoom, const Picture& source, int left, int top, ColorValue outside) {
    for (int by = 0; by < 5; ++by)
        for (int bx = 0; bx < 5; ++bx) {
            const int x = left + bx, y = top + by;
            const ColorValue c = source.Contains(x, y) ? source.Pixel(x, y) : outside;
            for (int dy = 0; dy < kMagnifierCell; ++dy)
                for (int dx = 0; dx < kMagnifierCell; ++dx)
                    zoom.SetPixel(bx * kMagnifierCell + dx, by * kMagnifierCell + dy, c);
        }
}

void Outline(Picture& picture, int from, int to, ColorValue c) {
    for (int i = from; i <= to; ++i) {
        picture.SetPixel(i, from, c);
        picture.SetPixel(i, to, c);
        picture.SetPixel(from, i, c);
        picture.SetPixel(to, i, c);
    }
}

}  // namespace

Session::Session()
    : pic1_(96, 64, kEmptyPic1),
      pic5_(512, 480, kViewBackground),
      tvc2_(512, 240, kSurfaceBackground),
      tvc4_(256, 240, kSurfaceBackground),
      tvc16_(128, 240, kSurfaceBackground),
      pic2_(512, 480, kViewBackground),
      picZ_(kMagnifierSize, kMagnifierSize, MakeColor(255, 255, 255)),
      picZZ_(kMagnifierSize, kMagnifierSize, MakeColor(255, 255, 255)) {
    state_.paletteColors = DefaultPalette2();
    PaintSwatches(label3_, state_.paletteColors);
    state_.paletteColors = DefaultPalette4();
    PaintSwatches(label2_, state_.paletteColors);
    state_.paletteColors = DefaultPalette16();
    PaintSwatches(label1_, state_.paletteColors);
    FillPatternColors(state_);
}

const Picture& Session::WorkSurface(TvcMode mode) const {
    switch (mode) {
        case TvcMode::Graphics2: return tvc2_;
        case TvcMode::Graphics4: return tvc4_;
        case TvcMode::Graphics16: break;
    }
    return tvc16_;
}

void Session::RunMethod(Picture& surface) {
    const MethodInfo& method = MethodByIndex(method_);
    method.run(surface, surface, state_);
}

// With "Resize" the whole source fills the destination; without it the source is copied at its own size.
void Session::ScaleInto(Picture& destination, const Picture& source, int smooth) const {
    if (resize_)
        StretchPicture(destination, source, destination.Width(), destination.Height(), smooth);
    else
        StretchPicture(destination, source, source.Width(), source.Height(), smooth);
}

void Session::ConvertMode(Picture& surface, const ColorValue* swatches, int swatchCount) {
    ScaleInto(surface, pic5_, 1);
    SwatchPalette(state_, swatches, swatchCount);
    if (method_ == kPatternTvc) {
        BuildPatternPalette(state_);
        DitherPatternTvc(surface, surface, state_);
        SwatchPalette(state_, swatches, swatchCount);
    } else {
        RunMethod(surface);
    }
    if (method_ >= 5) SnapToPalette(surface, surface, PaletteSearch(state_));
}

void Session::ConvertGraphics16() {
    if (method_ != kPatternTvc) state_.paletteColors = DefaultPalette16();
    ScaleInto(tvc16_, pic5_, 1);
    if (method_ == kPatternTvc) {
        if (state_.paletteColors.size() != kMixCount) BuildPatternPalette(state_);
        if (autoPalette_) AutoSelectPatterns(state_, tvc16_);
        DitherPatternTvc(tvc16_, tvc16_, state_);
    } else {
        RunMethod(tvc16_);
    }
}

void Session::Command1_Click() {
    stopwatch_.Start();
    Picture* surface = &tvc16_;
    switch (mode_) {
        case TvcMode::Graphics2:
            surface = &tvc2_;
            ConvertMode(tvc2_, label3_.data(), 2);
            break;
        case TvcMode::Graphics4:
            surface = &tvc4_;
            ConvertMode(tvc4_, label2_.data(), 4);
            break;
        case TvcMode::Graphics16:
            ConvertGraphics16();
            break;
    }
    ScaleInto(pic2_, *surface, 0);
    // With "Resize" the preview is a whole-block enlargement of the surface: same colours, fewer pixels.
    label7_ = CountColors(resize_ ? *surface : pic2_);
    label10_ = stopwatch_.ElapsedMs();
    ++conversions_;
}

void Session::Option1_Click(int index) {
    if (index < 1 || index > kMethodCount) return;
    method_ = index;
    Command1_Click();
}

void Session::Option2_Click(int index) {
    if (index < 0 || index > 2) return;
    mode_ = static_cast<TvcMode>(index);
    Command1_Click();
    frame4Enabled_ = false;
    frame5Enabled_ = false;
    if (index == 0) frame5Enabled_ = true;
    if (index == 1) frame4Enabled_ = true;
}

void Session::Command2_Click() {
    BuildPatternPalette(state_);
    SnapToPalette(pic5_, pic5_, PaletteSearch(state_));
}

void Session::Command6_Click() { ReplacePic1(pic5_); }

void Session::ReplacePic1(const Picture& picture) {
    pic1_ = picture;
    scaledPic1_ = Picture();
}

void Session::File2_Click(const Picture& decoded) {
    if (decoded.Empty()) return;
    autoPalette_ = true;
    ReplacePic1(decoded);
    for (int slider = 0; slider < kSliderCount; ++slider) HScroll_Change(slider, 50);
    if (resize_) {
        StretchPicture(pic5_, pic1_, pic5_.Width(), pic5_.Height(), 1);
        scaledPic1_ = pic5_;
    } else {
        StretchPicture(pic5_, pic1_, pic1_.Width(), pic1_.Height(), 0);
    }
    label6_ = CountColors(pic1_);
    ChartAllOn();
    Command1_Click();
    autoPalette_ = false;
    ChartSetTPattern();
}

void Session::HScroll_Change(int slider, int value) {
    if (slider < 0 || slider >= kSliderCount || value < 0 || value > 100 || sliders_[slider] == value) return;
    sliders_[slider] = value;
    RunSliderHandler(slider);
}

void Session::HScroll_Scroll(int slider) {
    if (slider >= 0 && slider < kSliderCount) RunSliderHandler(slider);
}

void Session::RunSliderHandler(int slider) {
    const int value = sliders_[slider];
    if (scaledPic1_.Empty()) {
        scaledPic1_ = Picture(pic5_.Width(), pic5_.Height());
        StretchPicture(scaledPic1_, pic1_, pic5_.Width(), pic5_.Height(), 1);
    }
    pic5_ = scaledPic1_;
    switch (slider) {
        case kBrightness: AdjustBrightness(pic5_, pic5_, value); break;
        case kGamma: {
            float copy = static_cast<float>(value);
            AdjustGamma(pic5_, pic5_, copy);
            break;
        }
        case kColor: AdjustColor(pic5_, pic5_, value); break;
        case kContrast: AdjustContrast(pic5_, pic5_, value); break;
    }
    Command1_Click();
}

void Session::Label1_Click(int index) {
    if (index >= 0 && index < 16) label4_ = label1_[index];
}

void Session::SwatchClicked(ColorValue* group, int index) {
    group[index] = label4_;
    if (index < static_cast<int>(state_.paletteColors.size())) state_.paletteColors[index] = EntryFromColor(label4_);
    Command1_Click();
}

void Session::Label2_Click(int index) {
    if (index >= 0 && index < 4) SwatchClicked(label2_.data(), index);
}

void Session::Label3_Click(int index) {
    if (index >= 0 && index < 2) SwatchClicked(label3_.data(), index);
}

void Session::Pic2_MouseMove(double x, double y) {
    const int left = static_cast<int>(std::nearbyint(x - 2));
    const int top = static_cast<int>(std::nearbyint(y - 2));
    Magnify(picZ_, pic5_, left, top, outsideColor_);
    Magnify(picZZ_, pic2_, left, top, outsideColor_);
    Outline(picZ_, 48, 70, MakeColor(255, 255, 255));
    Outline(picZ_, 47, 71, MakeColor(0, 0, 0));
    Outline(picZZ_, 48, 70, MakeColor(0, 0, 0));
    Outline(picZZ_, 47, 71, MakeColor(255, 255, 255));
    const int px = static_cast<int>(std::floor(x));
    const int py = static_cast<int>(std::floor(y));
    if (!pic5_.Contains(px, py)) return;
    shape1_ = pic5_.Pixel(px, py);
    label9_ = NearestPattern(state_, GetRed(shape1_), GetGreen(shape1_), GetBlue(shape1_));
    const auto& colors = state_.patternColors[label9_];
    const ColorValue first = ColorOfEntry(colors[0]), second = ColorOfEntry(colors[1]);
    mixCells_ = {first, second, second, first};
}

void Session::Pic2_MouseDown(int button) {
    const int k = label9_;
    auto& flags = state_.patternFlags[k];
    if (button == 1) {
        if (flags[0] == 0) flags[0] = 1;
    } else {
        flags[0] = 0;
    }
    if (button == 2) SwapMix(k);
    const ColorValue first = ColorOfEntry(state_.patternColors[k][0]);
    const ColorValue second = ColorOfEntry(state_.patternColors[k][1]);
    mixCells_ = flags[1] == 0 ? std::array<ColorValue, 4>{first, second, second, first}
                              : std::array<ColorValue, 4>{second, first, first, second};
    ChartSetTPattern();
}

std::optional<std::string> Session::SaveScreenFiles(TvcMode mode, const std::string& binPath,
                                                    const std::string& timPath) const {
    return WriteScreenFiles(mode, WorkSurface(mode), state_.paletteColors, binPath, timPath);
}

SaveReport Session::SaveProgram(const std::string& path) const {
    return WriteCasFile(path, mode_, WorkSurface(mode_), state_.paletteColors);
}

std::optional<std::string> Session::SaveTo(const std::string& bmpPath, const std::string& binPath,
                                           const std::string& timPath) const {
    if (auto error = WriteBmp24(bmpPath, pic2_)) return error;
    return SaveScreenFiles(mode_, binPath, timPath);
}

std::optional<std::string> Session::Command3_Click(const std::string& folder) {
    return SaveTo(JoinPath(folder, "out24.bmp"), JoinPath(folder, "screen.bin"), JoinPath(folder, "screen.tim"));
}

std::string Session::SaveAsBmpPath(const std::string& chosenPath) {
    return EndsWithBmp(chosenPath) ? chosenPath : chosenPath + ".bmp";
}

std::optional<std::string> Session::SaveAs(const std::string& chosenPath) {
    const std::string bmpPath = SaveAsBmpPath(chosenPath);
    const std::string folder = FolderOfPath(bmpPath);
    return SaveTo(bmpPath, folder + "screen.bin", folder + "screen.tim");
}

void Session::ChartAllOn() {
    for (auto& flags : state_.patternFlags) flags = {0, 0};
    ChartSetTPattern();
}

void Session::ChartAllOff() {
    for (auto& flags : state_.patternFlags) flags = {1, 0};
    ChartSetTPattern();
}

void Session::ChartSetTPattern() {
    mixesOn_ = 0;
    for (const auto& flags : state_.patternFlags)
        if (flags[0] != 1) ++mixesOn_;
    Command1_Click();
}

void Session::SwapMix(int mix) {
    auto& colors = state_.patternColors[mix];
    colors[2] = colors[0];
    colors[0] = colors[1];
    colors[1] = colors[2];
}

bool Session::Pic9_MouseDown(int button, double x, double y) {
    if (x < 470) return false;
    const int column = static_cast<int>(std::nearbyint(x - 480)) / 20;
    const int row = static_cast<int>(std::nearbyint(y - 11)) / 20;
    if (row < 0 || column < row || column >= kChartColorCount) return false;
    const double boxLeft = 20.0 * column + 480, boxTop = 20.0 * row + 11;
    if (x < boxLeft || x > boxLeft + 12 || y < boxTop || y > boxTop + 12) return false;
    const int k = MixIndex(row, column);
    lastChartHit_ = ChartHit{static_cast<int>(x), static_cast<int>(y), k};
    auto& flags = state_.patternFlags[k];
    if (button == 1) flags[0] = flags[0] == 1 ? 0 : 1;
    if (button == 2) {
        SwapMix(k);
        flags[1] = flags[1] == 0 ? 1 : 0;
    }
    Command1_Click();
    return true;
}

Session::EditableParts Session::TakeEditableParts(bool withPic1, bool withPic5) const {
    EditableParts parts;
    if (withPic1) parts.pic1 = pic1_;
    if (withPic5) parts.pic5 = pic5_;
    parts.swatch4 = label2_;
    parts.swatch2 = label3_;
    parts.palette = state_.paletteColors;
    parts.patternColors = state_.patternColors;
    parts.patternFlags = state_.patternFlags;
    parts.mixesOn = mixesOn_;
    return parts;
}

void Session::PutEditableParts(const EditableParts& parts) {
    if (parts.pic1) ReplacePic1(*parts.pic1);
    if (parts.pic5) pic5_ = *parts.pic5;
    label2_ = parts.swatch4;
    label3_ = parts.swatch2;
    state_.paletteColors = parts.palette;
    state_.patternColors = parts.patternColors;
    state_.patternFlags = parts.patternFlags;
    mixesOn_ = parts.mixesOn;
}

}  // namespace vorbix
