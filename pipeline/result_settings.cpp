#include "pipeline/result_settings.h"

#include <nlohmann/json.hpp>

#include "dither/methods.h"
#include "pipeline/sha256.h"

namespace vorbix {

namespace {

using Json = nlohmann::json;

// How the file names the source steps and the sliders.
constexpr const char* kSliderNames[kSliderCount] = {"Brightness", "Gamma", "Color", "Contrast"};
constexpr const char* kSliderStep = "slider";
constexpr const char* kSetStep = "Set";
constexpr const char* kSnapStep = "Command2";

std::string Hex(ColorValue c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRed(c), GetGreen(c), GetBlue(c));
    return text;
}

ColorValue ParseHex(const std::string& text) {
    unsigned rgb = 0;
    char end = 0;
    if (text.size() != 7 || std::sscanf(text.c_str(), "#%6x%c", &rgb, &end) != 1)
        throw std::invalid_argument("\"" + text + "\" is not a colour #RRGGBB");
    return MakeColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

template <std::size_t N>
Json HexArray(const std::array<ColorValue, N>& colours) {
    Json array = Json::array();
    for (ColorValue c : colours) array.push_back(Hex(c));
    return array;
}

template <std::size_t N>
std::array<ColorValue, N> ParseHexArray(const Json& array, const char* key) {
    if (!array.is_array() || array.size() != N)
        throw std::invalid_argument(std::string("\"") + key + "\" needs " + std::to_string(N) + " colours");
    std::array<ColorValue, N> colours{};
    for (std::size_t i = 0; i < N; ++i) colours[i] = ParseHex(array[i].get<std::string>());
    return colours;
}

// The mixes as lists of numbers: those off, those whose colours are swapped from the chart's,
// and those the chart marks as swapped.
Json MixesJson(const MixTable& mixes) {
    const MixTable chart;
    Json off = Json::array(), swapped = Json::array(), marked = Json::array();
    for (int k = 0; k < kMixCount; ++k) {
        if (mixes[k].off) off.push_back(k);
        if (mixes[k].first != chart[k].first) swapped.push_back(k);
        if (mixes[k].swapMarked) marked.push_back(k);
    }
    return {{"off", off}, {"swapped", swapped}, {"marked", marked}};
}

MixTable ParseMixes(const Json& json) {
    MixTable mixes;
    auto each = [&](const char* key, auto apply) {
        for (const Json& number : json.at(key)) {
            const int k = number.get<int>();
            if (k < 0 || k >= kMixCount) throw std::invalid_argument("mix " + std::to_string(k) + " is not 0..119");
            apply(k);
        }
    };
    each("off", [&](int k) { mixes.SetOff(k, true); });
    each("swapped", [&](int k) { mixes.SwapColours(k); });
    each("marked", [&](int k) { mixes.ToggleSwapMark(k); });
    return mixes;
}

Json StepJson(const SourceStep& step) {
    switch (step.kind) {
        case SourceStep::Kind::Slider:
            return {{"step", kSliderStep}, {"slider", kSliderNames[static_cast<int>(step.slider)]}, {"value", step.value}};
        case SourceStep::Kind::Set: return {{"step", kSetStep}};
        case SourceStep::Kind::SnapToMixes: return {{"step", kSnapStep}};
    }
    return {};
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

Json RefinementsJson(const std::vector<RefinementRun>& runs) {
    Json array = Json::array();
    for (const RefinementRun& run : runs) array.push_back({{"seconds", run.budgetSeconds}, {"converged", run.converged}});
    return array;
}

// Each refinement's budget is a replay's running time, so together they are held to a limit.
std::vector<RefinementRun> ParseRefinements(const Json& json) {
    if (!json.is_array()) throw std::invalid_argument("\"refine\" must be a list of refinements");
    std::vector<RefinementRun> runs;
    double total = 0;
    for (const Json& run : json) {
        const Json& seconds = run.at("seconds");
        if (!seconds.is_number()) throw std::invalid_argument("a refinement's \"seconds\" must be a number");
        const double budget = seconds.get<double>();
        if (!(budget > 0)) throw std::invalid_argument("refinement seconds " + seconds.dump() + " are not more than 0");
        total += budget;
        if (!(total <= ResultSettings::kMaxRefineSeconds))
            throw std::invalid_argument("the refinements ask for " + Seconds(total) + "; a replay refines for at most " +
                                        Seconds(ResultSettings::kMaxRefineSeconds));
        runs.push_back({budget, run.at("converged").get<bool>()});
    }
    return runs;
}

SourceStep ParseStep(const Json& json) {
    const std::string kind = json.at("step").get<std::string>();
    if (kind == kSetStep) return {SourceStep::Kind::Set};
    if (kind == kSnapStep) return {SourceStep::Kind::SnapToMixes};
    if (kind != kSliderStep) throw std::invalid_argument("unknown step \"" + kind + "\"");
    const std::string name = json.at("slider").get<std::string>();
    const int value = json.at("value").get<int>();
    if (value < 0 || value > 100) throw std::invalid_argument("slider value " + std::to_string(value) + " is not 0..100");
    for (int n = 0; n < kSliderCount; ++n)
        if (name == kSliderNames[n]) return {SourceStep::Kind::Slider, static_cast<Slider>(n), value};
    throw std::invalid_argument("unknown slider \"" + name + "\"");
}

ResultSettings ParseObject(const Json& json) {
    if (!json.is_object() || json.value("format", "") != "vorbix-settings")
        throw std::invalid_argument("not a Vorbix settings file");
    const int version = json.at("version").get<int>();
    if (version > ResultSettings::kVersion)
        throw std::invalid_argument("made by a newer Vorbix (version " + std::to_string(version) + "); this one reads version " +
                                    std::to_string(ResultSettings::kVersion));
    ResultSettings settings;
    const Json& picture = json.at("picture");
    settings.pictureName = picture.at("name").get<std::string>();
    settings.pictureSha256 = picture.value("sha256", "");
    const std::optional<TvcMode> mode = ModeWithNumber(json.at("mode").get<int>());
    if (!mode) throw std::invalid_argument("mode must be 2, 4 or 16");
    settings.conversion.mode = *mode;
    const std::optional<int> method = FindMethod(json.at("method").get<std::string>());
    if (!method) throw std::invalid_argument("unknown method \"" + json.at("method").get<std::string>() + "\"");
    settings.conversion.method = *method;
    settings.conversion.resize = json.at("resize").get<bool>();
    if (json.contains("keep_shape")) {
        const std::optional<KeepShape> shape = KeepShapeNamed(json.at("keep_shape").get<std::string>());
        if (!shape) throw std::invalid_argument("keep_shape must be \"stretch\", \"fit\" or \"fill\"");
        settings.conversion.keepShape = *shape;
    }
    settings.conversion.swatches2 = ParseHexArray<2>(json.at("swatches2"), "swatches2");
    settings.conversion.swatches4 = ParseHexArray<4>(json.at("swatches4"), "swatches4");
    for (const Json& step : json.at("source_steps")) settings.sourceSteps.push_back(ParseStep(step));
    settings.mixes = ParseMixes(json.at("mixes"));
    settings.randomDrawn = json.at("random_drawn").get<std::uint64_t>();
    if (json.contains("refine")) settings.refinements = ParseRefinements(json.at("refine"));
    const Json& result = json.at("result");
    settings.screenSha256 = result.at("screen_tim_sha256").get<std::string>();
    settings.colours = result.at("colours").get<int>();
    return settings;
}

}  // namespace

ResultSettings SettingsOf(const Session& session, const std::string& pictureName, const std::string& pictureSha256) {
    ResultSettings settings;
    settings.pictureName = pictureName;
    settings.pictureSha256 = pictureSha256;
    settings.conversion = session.Settings();
    settings.conversion.autoPalette = false;
    settings.sourceSteps = session.SourceSteps();
    settings.mixes = session.Mixes();
    settings.randomDrawn = session.RandomDrawnBeforeLastConversion();
    settings.refinements = session.Refinements();
    settings.screenSha256 = Sha256Hex(session.ScreenTimFileBytes());
    settings.colours = session.ResultColours();
    return settings;
}

std::string SettingsJson(const ResultSettings& settings) {
    const ConversionSettings& conversion = settings.conversion;
    Json steps = Json::array();
    for (const SourceStep& step : settings.sourceSteps) steps.push_back(StepJson(step));
    Json json = {
        {"format", "vorbix-settings"},
        {"version", settings.refinements.empty() ? 1 : ResultSettings::kVersion},
        {"picture", {{"name", settings.pictureName}, {"sha256", settings.pictureSha256}}},
        {"mode", ModeOf(conversion.mode).number},
        {"method", std::string(MethodNumbered(conversion.method).caption)},
        {"resize", conversion.resize},
        {"swatches2", HexArray(conversion.swatches2)},
        {"swatches4", HexArray(conversion.swatches4)},
        {"source_steps", steps},
        {"mixes", MixesJson(settings.mixes)},
        {"random_drawn", settings.randomDrawn},
        {"result", {{"screen_tim_sha256", settings.screenSha256}, {"colours", settings.colours}}},
    };
    if (conversion.keepShape != KeepShape::Stretch) json["keep_shape"] = std::string(KeepShapeName(conversion.keepShape));
    if (!settings.refinements.empty()) json["refine"] = RefinementsJson(settings.refinements);
    return json.dump(2) + "\n";
}

Result<ResultSettings> ParseSettingsJson(const std::string& text) {
    try {
        return ParseObject(Json::parse(text));
    } catch (const std::exception& failure) {
        // The library's messages name the part that is wrong: "key 'mode' not found", a type, a place.
        return Error{{}, 0, std::string("not a settings file Vorbix reads: ") + failure.what()};
    }
}

void ReplaySourceSteps(Session& session, const std::vector<SourceStep>& steps) {
    for (const SourceStep& step : steps) {
        switch (step.kind) {
            case SourceStep::Kind::Slider:
                if (session.SliderValue(step.slider) != step.value)
                    session.MoveSlider(step.slider, step.value);
                else
                    session.ApplySlider(step.slider);
                break;
            case SourceStep::Kind::Set: session.Commit(); break;
            case SourceStep::Kind::SnapToMixes: session.SnapSourceToMixes(); break;
        }
    }
}

Session Replay(const ResultSettings& settings, const Picture& picture, TaskProgress* progress) {
    Session session;
    const ConversionSettings& conversion = settings.conversion;
    session.SetResize(conversion.resize);
    session.SetKeepShape(conversion.keepShape);
    session.SetMode(conversion.mode);
    session.SetMethod(conversion.method);
    for (int i = 0; i < 2; ++i) session.SetSwatchColour(TvcMode::Graphics2, i, conversion.swatches2[i]);
    for (int i = 0; i < 4; ++i) session.SetSwatchColour(TvcMode::Graphics4, i, conversion.swatches4[i]);
    session.Load(picture);
    ReplaySourceSteps(session, settings.sourceSteps);
    session.SetMixes(settings.mixes);
    session.SetRandomDrawn(settings.randomDrawn);
    session.Reconvert();
    for (const RefinementRun& run : settings.refinements) session.Refine(run.budgetSeconds, progress);
    return session;
}

std::vector<std::string> ResultDifferences(const ResultSettings& recorded, const ResultSettings& replayed) {
    std::vector<std::string> differences;
    if (!recorded.pictureSha256.empty() && !replayed.pictureSha256.empty() &&
        recorded.pictureSha256 != replayed.pictureSha256)
        differences.push_back("picture: SHA-256 " + replayed.pictureSha256 + ", the settings name " + recorded.pictureSha256);
    if (recorded.screenSha256 != replayed.screenSha256)
        differences.push_back("screen.tim: SHA-256 " + replayed.screenSha256 + ", the settings name " + recorded.screenSha256);
    if (recorded.colours != replayed.colours)
        differences.push_back("colours used: " + std::to_string(replayed.colours) + ", the settings name " +
                              std::to_string(recorded.colours));
    if (differences.empty()) return differences;
    for (std::size_t i = 0; i < recorded.refinements.size(); ++i) {
        const RefinementRun& run = recorded.refinements[i];
        if (!run.converged)
            differences.push_back("the refinement was stopped by its time budget (" + Seconds(run.budgetSeconds) +
                                  ") before it converged, so a replay cannot promise the same pixels");
        else if (i < replayed.refinements.size() && !replayed.refinements[i].converged)
            differences.push_back("the replay's refinement was stopped by its time budget (" + Seconds(run.budgetSeconds) +
                                  ") before it converged, though the saved one converged: this machine may be slower");
    }
    return differences;
}

}  // namespace vorbix
