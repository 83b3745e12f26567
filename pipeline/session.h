#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/picture.h"
#include "dither/dither_state.h"
#include "export/cas_file.h"
#include "export/screen_file.h"
#include "pipeline/stopwatch.h"

namespace vorbix {

constexpr int kSliderCount = 4;
constexpr int kMagnifierSize = 120;
enum Slider { kBrightness = 0, kGamma = 1, kColor = 2, kContrast = 3 };

// What a click on the live pattern chart hit (the chart window's labels after the click).
struct ChartHit {
    int x;
    int y;
    int mix;
};

// Everything the two windows hold, and the logic of every handler, without a window.
// Handlers bear the names of the controls and events they serve; the windows call them and
// then show the state. Copyable, so a copy can be converted without touching the original.
class Session {
public:
    Session();  // the state after the main window has loaded

    // --- pictures
    const Picture& Pic1() const { return pic1_; }
    const Picture& Pic5() const { return pic5_; }
    const Picture& Pic2() const { return pic2_; }
    const Picture& WorkSurface(TvcMode mode) const;
    const Picture& PicZ() const { return picZ_; }
    const Picture& PicZZ() const { return picZZ_; }

    // --- settings and displays
    TvcMode Mode() const { return mode_; }
    int Method() const { return method_; }
    bool Resize() const { return resize_; }
    bool AutoPalette() const { return autoPalette_; }
    int SliderValue(int slider) const { return sliders_[slider]; }
    ColorValue Swatch16(int i) const { return label1_[i]; }
    ColorValue Swatch4(int i) const { return label2_[i]; }
    ColorValue Swatch2(int i) const { return label3_[i]; }
    ColorValue CurrentColor() const { return label4_; }
    bool Frame4Enabled() const { return frame4Enabled_; }
    bool Frame5Enabled() const { return frame5Enabled_; }
    int LoadedColors() const { return label6_; }           // Label6
    int ResultColors() const { return label7_; }           // Label7
    int LastMilliseconds() const { return label10_; }      // Label10
    int MixesOn() const { return mixesOn_; }               // the chart window's Label7
    int InspectedMix() const { return label9_; }           // Label9
    ColorValue InspectedColor() const { return shape1_; }  // Shape1
    // Shape2..Shape5: top left, top right, bottom left, bottom right.
    const std::array<ColorValue, 4>& InspectedMixCells() const { return mixCells_; }
    const std::optional<ChartHit>& LastChartHit() const { return lastChartHit_; }
    const DitherState& State() const { return state_; }
    long ConversionCount() const { return conversions_; }

    void SetResize(bool on) { resize_ = on; }
    void SetAutoPalette(bool on) { autoPalette_ = on; }
    // Sets a swatch without the click's conversion (start-up settings from the command line).
    void SetSwatch4(int i, ColorValue c) { label2_[i] = c; }
    void SetSwatch2(int i, ColorValue c) { label3_[i] = c; }
    // Background of the magnifiers where the 5 x 5 block leaves the pictures.
    void SetOutsideColor(ColorValue c) { outsideColor_ = c; }

    // --- main window handlers
    void Command1_Click();  // Convert
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Command2_Click();
    void Command6_Click();  // "Set"
    void File2_Click(const Picture& decoded);
    // A slider moved to value: runs its handler when the value changed (the change event).
    void HScroll_Change(int slider, int value);
    // The slider's handler at its current value, whether or not it moved.
    void HScroll_Scroll(int slider);
    void Label1_Click(int index);
    void Label2_Click(int index);
    void Label3_Click(int index);
    void Pic2_MouseMove(double x, double y);
    void Pic2_MouseDown(int button);

    // --- saving: each returns a message naming the path on failure
    // "Save": out24.bmp, screen.bin and screen.tim into the folder.
    std::optional<std::string> Command3_Click(const std::string& folder);
    // "Save As": the BMP under the chosen name (".bmp" added unless it ends so), screen files beside it.
    std::optional<std::string> SaveAs(const std::string& chosenPath);
    // The BMP that "Save As" writes for the chosen name.
    static std::string SaveAsBmpPath(const std::string& chosenPath);
    // The preview as a BMP, then the selected mode's screen files, under the given names.
    std::optional<std::string> SaveTo(const std::string& bmpPath, const std::string& binPath,
                                      const std::string& timPath) const;
    std::optional<std::string> SaveScreenFiles(TvcMode mode, const std::string& binPath,
                                               const std::string& timPath) const;
    // The selected mode's last conversion as a TVC program file, with a warning when the machine
    // will not show its palette as converted.
    SaveReport SaveProgram(const std::string& path) const;

    // --- pattern chart window handlers
    void ChartAllOn();    // "All On"
    void ChartAllOff();   // "All Off"
    void ChartSetTPattern();  // "SetT Pattern"
    // A click on the live chart at (x, y) in its own coordinates; button 1 left, 2 right.
    // Returns whether it hit a mix box (clicks beside the boxes do nothing).
    bool Pic9_MouseDown(int button, double x, double y);

    // --- undo: the parts of the session that the undoable edits (swatches, mixes, "Set",
    // "Command2") change, read and put back without a conversion. The pictures come along only
    // when asked for, as the loaded one can be large.
    struct EditableParts {
        std::optional<Picture> pic1;
        std::optional<Picture> pic5;
        std::array<ColorValue, 4> swatch4{};
        std::array<ColorValue, 2> swatch2{};
        Palette palette;
        PatternColorTable patternColors{};
        PatternFlagTable patternFlags{};
        int mixesOn = 0;

        bool operator==(const EditableParts&) const = default;
    };
    EditableParts TakeEditableParts(bool withPic1, bool withPic5) const;
    // Pictures are put back only where the parts hold them.
    void PutEditableParts(const EditableParts& parts);

private:
    void ScaleInto(Picture& destination, const Picture& source, int smooth) const;
    void ConvertMode(Picture& surface, const ColorValue* swatches, int swatchCount);
    void ConvertGraphics16();
    void RunMethod(Picture& surface);
    void RunSliderHandler(int slider);
    void ReplacePic1(const Picture& picture);
    void SwatchClicked(ColorValue* group, int index);
    void ToggleMix(int mix, bool off);
    void SwapMix(int mix);

    Picture pic1_;
    // Pic1 scaled to the source view with averaging: every slider move starts from it, so it is
    // made once per loaded picture instead of once per move.
    Picture scaledPic1_;
    Picture pic5_;
    Picture tvc2_;
    Picture tvc4_;
    Picture tvc16_;
    Picture pic2_;
    Picture picZ_;
    Picture picZZ_;

    TvcMode mode_ = TvcMode::Graphics16;
    int method_ = 17;
    bool resize_ = true;
    bool autoPalette_ = false;
    std::array<int, kSliderCount> sliders_{50, 50, 50, 50};
    std::array<ColorValue, 16> label1_{};
    std::array<ColorValue, 4> label2_{};
    std::array<ColorValue, 2> label3_{};
    ColorValue label4_ = MakeColor(64, 64, 64);
    bool frame4Enabled_ = false;
    bool frame5Enabled_ = false;
    int label6_ = 0;
    int label7_ = 0;
    int label10_ = 0;
    int mixesOn_ = 0;
    int label9_ = 0;
    ColorValue shape1_ = 0;
    std::array<ColorValue, 4> mixCells_{};
    std::optional<ChartHit> lastChartHit_;
    ColorValue outsideColor_ = MakeColor(240, 240, 240);

    DitherState state_;
    Stopwatch stopwatch_;
    long conversions_ = 0;
};

}  // namespace vorbix
