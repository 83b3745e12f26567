// The page's worker reaches the document through these: pixels and files cross as typed arrays,
// figures as plain objects.

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <optional>

#include "dither/methods.h"
#include "io/screen_file.h"
#include "pipeline/method_sheet.h"
#include "pipeline/refine.h"
#include "web/page_document.h"

namespace vorbix {
namespace {

using emscripten::val;

std::vector<std::uint8_t> BytesOf(const val& array) {
    std::vector<std::uint8_t> bytes(array["length"].as<std::size_t>());
    val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<void>("set", array);
    return bytes;
}

val Uint8ArrayOf(const std::vector<std::uint8_t>& bytes) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(bytes.size(), bytes.data()));
}

// The browser's canvas pixels (red, green, blue, alpha) as a picture; alpha is dropped, as the
// desktop's decoders drop it.
Picture PictureOfRgba(int width, int height, const std::vector<std::uint8_t>& rgba) {
    Picture picture(width, height);
    std::uint8_t* out = picture.Data();
    for (std::size_t i = 0, o = 0; o < picture.ByteCount(); i += 4, o += 3) {
        out[o] = rgba[i + 2];
        out[o + 1] = rgba[i + 1];
        out[o + 2] = rgba[i];
    }
    return picture;
}

val RgbaOf(const Picture& picture) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(picture.Width()) * picture.Height() * 4);
    const std::uint8_t* in = picture.Data();
    for (std::size_t i = 0, o = 0; i < picture.ByteCount(); i += 3, o += 4) {
        rgba[o] = in[i + 2];
        rgba[o + 1] = in[i + 1];
        rgba[o + 2] = in[i];
        rgba[o + 3] = 255;
    }
    return Uint8ArrayOf(rgba);
}

TvcMode ModeNumbered(int number) { return ModeWithNumber(number).value_or(TvcMode::Graphics16); }

val ColourList(const ColourValue* colours, int count) {
    val list = val::array();
    for (int i = 0; i < count; ++i) list.call<void>("push", colours[i]);
    return list;
}

val MethodList() {
    val list = val::array();
    for (const Method& method : AllMethods()) {
        val entry = val::object();
        entry.set("number", method.number);
        entry.set("caption", std::string(method.caption));
        list.call<void>("push", entry);
    }
    return list;
}

val TvcColourList() {
    val list = val::array();
    for (const PaletteEntry& entry : TvcColours()) list.call<void>("push", ColourOfEntry(entry));
    return list;
}

// The page holds about 16 bytes a pixel while a picture loads (its pixels as the browser gives
// them, the picture, the document's copy and the one it replaces), within 2 GB of WebAssembly memory.
constexpr double kMaxPagePixels = 64e6;

std::optional<std::string> RefusalOf(int width, int height, const val& rgba) {
    if (width <= 0 || height <= 0 || rgba["length"].as<double>() != 4.0 * width * height)
        return "the picture has no pixels";
    if (static_cast<double>(width) * height > kMaxPagePixels)
        return "more than 64 megapixels, too large for the page (vorbix-cli converts it)";
    return std::nullopt;
}

// A refinement's progress and score as it goes, handed to the page's callback (at most every
// 100 ms, as the page only shows them). Cancelling is the page's: it stops the whole worker.
class CallbackProgress : public TaskProgress {
public:
    explicit CallbackProgress(val callback) : callback_(std::move(callback)) {}
    void Report(double fraction) override {
        fraction_ = fraction;
        Tell(false);
    }
    void Scored(double before, double now) override {
        before_ = before;
        now_ = now;
        Tell(true);
    }
    bool Cancelled() override { return false; }

private:
    void Tell(bool scored) {
        const double now = SteadySeconds();
        if (!scored && now - toldAt_ < 0.1) return;
        toldAt_ = now;
        val progress = val::object();
        progress.set("fraction", fraction_);
        if (before_) progress.set("before", before_), progress.set("now", now_);
        callback_(progress);
    }

    val callback_;
    double toldAt_ = 0;
    double fraction_ = 0;
    double before_ = 0;
    double now_ = 0;
};

val TileObject(const MethodTile& tile) {
    val entry = val::object();
    entry.set("method", tile.method);
    entry.set("preview", RgbaOf(tile.preview));
    entry.set("colours", tile.colours);
    entry.set("milliseconds", tile.milliseconds);
    entry.set("likeness", tile.likeness);
    return entry;
}

class PageBinding {
public:
    // null when the picture loaded, else why not; a refused picture changes nothing.
    val Load(int width, int height, const val& rgba, const val& fileBytes, const std::string& fileName) {
        if (const std::optional<std::string> refusal = RefusalOf(width, height, rgba)) return val(*refusal);
        document_.Load(PictureOfRgba(width, height, BytesOf(rgba)), BytesOf(fileBytes), fileName);
        return val::null();
    }
    void ChooseMode(int number) { document_.ChooseMode(ModeNumbered(number)); }
    void ChooseMethod(int method) { document_.ChooseMethod(method); }
    void SetResize(bool on) { document_.SetResize(on); }
    void SetKeepShape(const std::string& name) {
        if (const std::optional<KeepShape> shape = KeepShapeNamed(name)) document_.SetKeepShape(*shape);
    }
    void ChooseSwatches(int modeNumber, const val& colours) {
        document_.ChooseSwatches(ModeNumbered(modeNumber), emscripten::vecFromJSArray<ColourValue>(colours));
    }
    // The sets offered, best first, each {swatches, score, preview}; the first is chosen.
    val ChooseBestSwatches() {
        val candidates = val::array();
        for (const SwatchCandidate& candidate : document_.ChooseBestSwatches()) {
            val entry = val::object();
            entry.set("swatches", ColourList(candidate.swatches.data(), static_cast<int>(candidate.swatches.size())));
            entry.set("score", candidate.score);
            entry.set("preview", RgbaOf(candidate.shown));
            candidates.call<void>("push", entry);
        }
        return candidates;
    }
    void MoveSlider(int slider, int value) {
        if (slider >= 0 && slider < kSliderCount) document_.MoveSlider(static_cast<Slider>(slider), value);
    }
    void Commit() { document_.Commit(); }
    void ToggleMix(int k) { if (k >= 0 && k < kMixCount) document_.ToggleMix(k); }
    void SwapMix(int k) { if (k >= 0 && k < kMixCount) document_.SwapMix(k); }
    void SwitchAllMixes(bool on) { document_.SwitchAllMixes(on); }

    // The last conversion and the settings that made it.
    val Result() const {
        const Session& session = document_.Current();
        const ConversionSettings& settings = session.Settings();
        val result = val::object();
        result.set("hasPicture", document_.HasPicture());
        result.set("preview", RgbaOf(session.Preview()));
        result.set("sourceView", RgbaOf(session.SourceView()));
        result.set("colours", session.ResultColours());
        result.set("loadedColours", session.LoadedColours());
        result.set("milliseconds", session.Milliseconds());
        result.set("mode", ModeOf(settings.mode).number);
        result.set("method", settings.method);
        result.set("resize", settings.resize);
        result.set("keepShape", std::string(KeepShapeName(settings.keepShape)));
        const std::span<const ColourValue> swatches = settings.Swatches(settings.mode);
        result.set("swatches", ColourList(swatches.data(), static_cast<int>(swatches.size())));
        val sliders = val::array();
        for (int i = 0; i < kSliderCount; ++i) sliders.call<void>("push", session.SliderValue(static_cast<Slider>(i)));
        result.set("sliders", sliders);
        val mixes = val::array();
        for (int k = 0; k < kMixCount; ++k) {
            const Mix& mix = session.Mixes()[k];
            val entry = val::object();
            entry.set("first", ColourOfEntry(mix.first));
            entry.set("second", ColourOfEntry(mix.second));
            entry.set("off", mix.off);
            entry.set("swapped", mix.swapMarked);
            mixes.call<void>("push", entry);
        }
        result.set("mixes", mixes);
        const std::optional<SourceStep> unset = MoveNotSet(session.SourceSteps());
        result.set("unsetSlider", unset ? val(static_cast<int>(unset->slider)) : val::null());
        const std::vector<std::uint8_t> tim = session.ScreenTimFileBytes();
        result.set("tim", Uint8ArrayOf(tim));
        result.set("bin", Uint8ArrayOf({tim.begin() + kTimHeaderBytes, tim.end()}));
        result.set("bmp", Uint8ArrayOf(document_.PreviewBmpBytes()));
        return result;
    }

    double Likeness() const { return document_.HasPicture() ? document_.Current().Likeness() : 0; }

    val Program(bool wav) const {
        const ProgramFile program = document_.Program(wav ? ProgramFormat::Wav : ProgramFormat::Cas);
        val result = val::object();
        result.set("bytes", Uint8ArrayOf(program.bytes));
        result.set("loadTime", LoadTimeText(program.facts));
        result.set("warning", program.facts.warning.value_or(""));
        return result;
    }

    // One tile of "Compare methods"; the page asks for them one by one, so that an edit waits
    // for one method at most.
    val Tile(int method) const {
        if (!document_.HasPicture()) return val::null();
        return TileObject(ConvertWithMethod(document_.Current(), method));
    }

    // Refines the result for at most that many seconds: {before, after, converged}.
    val Refine(double seconds, const val& onProgress) {
        CallbackProgress progress(onProgress);
        const Refinement refinement = document_.Refine(seconds, &progress);
        val figures = val::object();
        figures.set("before", refinement.scoreBefore);
        figures.set("after", refinement.scoreAfter);
        figures.set("converged", refinement.converged);
        return figures;
    }

    std::string SettingsFileText() const { return document_.SettingsFileText(); }

    // {error} or {differences: [...]}.
    val ApplySettingsFile(const std::string& text) {
        const auto applied = document_.ApplySettingsFile(text);
        val result = val::object();
        if (!applied) {
            result.set("error", applied.Failure().text);
            return result;
        }
        val differences = val::array();
        for (const std::string& line : applied.Value()) differences.call<void>("push", line);
        result.set("differences", differences);
        return result;
    }

private:
    PageDocument document_;
};

}  // namespace
}  // namespace vorbix

EMSCRIPTEN_BINDINGS(vorbix) {
    using namespace vorbix;
    emscripten::function("methods", &MethodList);
    emscripten::function("tvcColours", &TvcColourList);
    emscripten::constant("maxPixels", kMaxPagePixels);
    emscripten::class_<PageBinding>("Document")
        .constructor<>()
        .function("load", &PageBinding::Load)
        .function("chooseMode", &PageBinding::ChooseMode)
        .function("chooseMethod", &PageBinding::ChooseMethod)
        .function("setResize", &PageBinding::SetResize)
        .function("setKeepShape", &PageBinding::SetKeepShape)
        .function("chooseSwatches", &PageBinding::ChooseSwatches)
        .function("chooseBestSwatches", &PageBinding::ChooseBestSwatches)
        .function("moveSlider", &PageBinding::MoveSlider)
        .function("commit", &PageBinding::Commit)
        .function("toggleMix", &PageBinding::ToggleMix)
        .function("swapMix", &PageBinding::SwapMix)
        .function("switchAllMixes", &PageBinding::SwitchAllMixes)
        .function("result", &PageBinding::Result)
        .function("likeness", &PageBinding::Likeness)
        .function("program", &PageBinding::Program)
        .function("tile", &PageBinding::Tile)
        .function("refine", &PageBinding::Refine)
        .function("settingsFileText", &PageBinding::SettingsFileText)
        .function("applySettingsFile", &PageBinding::ApplySettingsFile);
}
