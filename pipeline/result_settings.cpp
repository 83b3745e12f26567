#include "pipeline/result_settings.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>

#include "dither/methods.h"
#include "io/file_read.h"
#include "pipeline/sha256.h"

namespace vorbix {

namespace {

using Json = nlohmann::json;

// How the file names the source steps and the sliders.
constexpr const char* kSliderNames[kSliderCount] = {"Brightness", "Gamma", "Color", "Contrast"};
constexpr const char* kSliderStep = "slider";
constexpr const char* kSetStep = "Set";
constexpr const char* kSnapStep = "Command2";

// Each field is read by its exact type and range; anything else is refused naming the field.
[[noreturn]] void Refuse(const std::string& field, const std::string& what) {
    throw std::invalid_argument("\"" + field + "\" " + what);
}

const Json& Field(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) Refuse(key, "is missing");
    return *found;
}

std::int64_t WholeNumber(const Json& object, const char* key, std::int64_t least, std::int64_t most) {
    const Json& value = Field(object, key);
    const std::string range = "must be a whole number " + std::to_string(least) + ".." + std::to_string(most);
    if (value.is_number_unsigned()) {
        const std::uint64_t number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(most) || static_cast<std::int64_t>(number) < least)
            Refuse(key, range + ", not " + value.dump());
        return static_cast<std::int64_t>(number);
    }
    if (!value.is_number_integer()) Refuse(key, range + ", not " + value.dump());
    const std::int64_t number = value.get<std::int64_t>();
    if (number < least || number > most) Refuse(key, range + ", not " + value.dump());
    return number;
}

std::string Text(const Json& object, const char* key) {
    const Json& value = Field(object, key);
    if (!value.is_string()) Refuse(key, "must be text, not " + value.dump());
    return value.get<std::string>();
}

bool Boolean(const Json& object, const char* key) {
    const Json& value = Field(object, key);
    if (!value.is_boolean()) Refuse(key, "must be true or false, not " + value.dump());
    return value.get<bool>();
}

const Json& List(const Json& object, const char* key) {
    const Json& value = Field(object, key);
    if (!value.is_array()) Refuse(key, "must be a list");
    return value;
}

// A list a replay works through item by item: held to what a person could have made.
const Json& BoundedList(const Json& object, const char* key, std::size_t most, const char* items, const char* verb) {
    const Json& list = List(object, key);
    if (list.size() > most)
        Refuse(key, "holds " + std::to_string(list.size()) + " " + items + "; a replay " + verb + " at most " +
                        std::to_string(most));
    return list;
}

const Json& Object(const Json& object, const char* key) {
    const Json& value = Field(object, key);
    if (!value.is_object()) Refuse(key, "must be an object");
    return value;
}

ColourValue ParseHex(const Json& json, const char* key) {
    const std::string text = json.is_string() ? json.get<std::string>() : std::string();
    const bool hex = json.is_string() && text.size() == 7 && text[0] == '#' &&
                     std::all_of(text.begin() + 1, text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    if (!hex) Refuse(key, "holds " + json.dump() + ", not a colour #RRGGBB");
    const unsigned rgb = static_cast<unsigned>(std::stoul(text.substr(1), nullptr, 16));
    return MakeColour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

template <std::size_t N>
Json HexArray(const std::array<ColourValue, N>& colours) {
    Json array = Json::array();
    for (ColourValue c : colours) array.push_back(HexText(c));
    return array;
}

template <std::size_t N>
std::array<ColourValue, N> ParseHexArray(const Json& object, const char* key) {
    const Json& array = List(object, key);
    if (array.size() != N) Refuse(key, "needs " + std::to_string(N) + " colours");
    std::array<ColourValue, N> colours{};
    for (std::size_t i = 0; i < N; ++i) colours[i] = ParseHex(array[i], key);
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
        for (const Json& number : List(json, key)) {
            const Json entry = {{key, number}};
            apply(static_cast<int>(WholeNumber(entry, key, 0, kMixCount - 1)));
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
    for (const RefinementRun& run : runs) {
        Json item = {{"seconds", run.budgetSeconds}, {"converged", run.converged}};
        if (!run.startSwatches.empty()) {
            item["start_swatches"] = Json::array();
            for (ColourValue c : run.startSwatches) item["start_swatches"].push_back(HexText(c));
        }
        array.push_back(item);
    }
    return array;
}

int VersionFor(const ResultSettings& settings) {
    if (settings.refinements.empty()) return 1;
    const bool swatches = std::any_of(settings.refinements.begin(), settings.refinements.end(),
                                      [](const RefinementRun& run) { return !run.startSwatches.empty(); });
    return swatches ? ResultSettings::kVersion : 2;
}

// Each refinement costs a replay its budget and the set-up that comes before any budget counts,
// so together they are held to a limit. The swatches one started from are the mode's.
std::vector<RefinementRun> ParseRefinements(const Json& json, TvcMode mode) {
    const Json& list = BoundedList(json, "refine", ResultSettings::kMaxRefinements, "refinements", "runs");
    std::vector<RefinementRun> runs;
    double total = 0;
    for (const Json& run : list) {
        if (!run.is_object()) Refuse("refine", "must be a list of refinements");
        const Json& seconds = Field(run, "seconds");
        if (!seconds.is_number()) Refuse("seconds", "must be a number, not " + seconds.dump());
        const double budget = seconds.get<double>();
        if (!(budget > 0)) Refuse("seconds", "of a refinement must be more than 0, not " + seconds.dump());
        total += budget + ResultSettings::kRefineSetUpSeconds;
        if (!(total <= ResultSettings::kMaxRefineSeconds))
            Refuse("refine", "asks for " + Seconds(total) + " with each refinement's set-up; a replay refines for at most " +
                                 Seconds(ResultSettings::kMaxRefineSeconds));
        RefinementRun parsed{budget, Boolean(run, "converged"), {}};
        if (run.contains("start_swatches")) {
            const std::size_t count = static_cast<std::size_t>(ModeOf(mode).swatchCount);
            const Json& swatches = List(run, "start_swatches");
            if (swatches.size() != count)
                Refuse("start_swatches", count == 0 ? "names swatches, which Graphics 16 has not"
                                                    : "needs " + std::to_string(count) + " colours in " +
                                                          std::string(ModeOf(mode).caption));
            for (const Json& swatch : swatches) parsed.startSwatches.push_back(ParseHex(swatch, "start_swatches"));
        }
        runs.push_back(std::move(parsed));
    }
    return runs;
}

SourceStep ParseStep(const Json& json) {
    if (!json.is_object()) Refuse("source_steps", "must be a list of steps");
    const std::string kind = Text(json, "step");
    if (kind == kSetStep) return {SourceStep::Kind::Set};
    if (kind == kSnapStep) return {SourceStep::Kind::SnapToMixes};
    if (kind != kSliderStep) Refuse("step", "\"" + kind + "\" is not a step Vorbix knows");
    const std::string name = Text(json, "slider");
    const int value = static_cast<int>(WholeNumber(json, "value", 0, 100));
    for (int n = 0; n < kSliderCount; ++n)
        if (name == kSliderNames[n]) return {SourceStep::Kind::Slider, static_cast<Slider>(n), value};
    Refuse("slider", "\"" + name + "\" is not a slider Vorbix knows");
}

std::vector<SourceStep> ParseSteps(const Json& json) {
    const Json& list = BoundedList(json, "source_steps", ResultSettings::kMaxSourceSteps, "steps", "makes");
    std::vector<SourceStep> steps;
    for (const Json& step : list) steps.push_back(ParseStep(step));
    return steps;
}

// A file name alone: a folder in it would send a replay to read a picture elsewhere.
std::string ParsePictureName(const Json& picture) {
    const std::string name = Text(picture, "name");
    if (name.empty() || name == "." || name == ".." || name.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        Refuse("name", "must be a file name without its folder, not " + Json(name).dump());
    return name;
}

ResultSettings ParseObject(const Json& json) {
    if (!json.is_object() || json.value("format", "") != "vorbix-settings")
        throw std::invalid_argument("not a Vorbix settings file");
    const Json& version = Field(json, "version");
    if (version.is_number_unsigned() && version.get<std::uint64_t>() > static_cast<std::uint64_t>(ResultSettings::kVersion))
        throw std::invalid_argument("made by a newer Vorbix (version " + version.dump() + "); this one reads version " +
                                    std::to_string(ResultSettings::kVersion));
    WholeNumber(json, "version", 1, ResultSettings::kVersion);
    ResultSettings settings;
    const Json& picture = Object(json, "picture");
    settings.pictureName = ParsePictureName(picture);
    if (picture.contains("sha256")) settings.pictureSha256 = Text(picture, "sha256");
    if (json.contains("decoded")) {
        const Json& decoded = Object(json, "decoded");
        settings.decodedWidth = static_cast<int>(WholeNumber(decoded, "width", 1, kMaxPicturePixels));
        settings.decodedHeight = static_cast<int>(WholeNumber(decoded, "height", 1, kMaxPicturePixels));
    }
    const std::optional<TvcMode> mode = ModeWithNumber(static_cast<int>(WholeNumber(json, "mode", 2, 16)));
    if (!mode) Refuse("mode", "must be 2, 4 or 16");
    settings.conversion.mode = *mode;
    const std::string methodName = Text(json, "method");
    const std::optional<int> method = FindMethod(methodName);
    if (!method) Refuse("method", "\"" + methodName + "\" is not a method Vorbix knows");
    settings.conversion.method = *method;
    settings.conversion.resize = Boolean(json, "resize");
    if (json.contains("keep_shape")) {
        const std::optional<KeepShape> shape = KeepShapeNamed(Text(json, "keep_shape"));
        if (!shape) Refuse("keep_shape", "must be \"stretch\", \"fit\" or \"fill\"");
        settings.conversion.keepShape = *shape;
    }
    settings.conversion.swatches2 = ParseHexArray<2>(json, "swatches2");
    settings.conversion.swatches4 = ParseHexArray<4>(json, "swatches4");
    settings.sourceSteps = ParseSteps(json);
    settings.mixes = ParseMixes(Object(json, "mixes"));
    const Json& drawn = Field(json, "random_drawn");
    if (!drawn.is_number_unsigned()) Refuse("random_drawn", "must be a whole number of at least 0, not " + drawn.dump());
    settings.randomDrawn = drawn.get<std::uint64_t>();
    if (json.contains("refine")) settings.refinements = ParseRefinements(json, settings.conversion.mode);
    const Json& result = Object(json, "result");
    settings.screenSha256 = Text(result, "screen_tim_sha256");
    settings.colours = static_cast<int>(WholeNumber(result, "colours", 0, 1 << 24));
    return settings;
}

}  // namespace

ResultSettings SettingsOf(const Session& session, const std::string& pictureName, const std::string& pictureSha256) {
    ResultSettings settings;
    settings.pictureName = pictureName;
    settings.pictureSha256 = pictureSha256;
    settings.decodedWidth = session.Loaded().Width();
    settings.decodedHeight = session.Loaded().Height();
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
        {"version", VersionFor(settings)},
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
    if (settings.decodedWidth > 0) json["decoded"] = {{"width", settings.decodedWidth}, {"height", settings.decodedHeight}};
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

Result<ResultSettings> ReadSettingsFile(const std::string& path) {
    const Result<std::string> text = ReadSmallFile(path, ResultSettings::kMaxFileBytes, "a settings file");
    if (!text) return text.Failure();
    Result<ResultSettings> parsed = ParseSettingsJson(text.Value());
    if (!parsed) return Error{path, 0, path + ": " + parsed.Failure().text};
    return parsed;
}

Cover CoverToReplay(const ResultSettings& settings) {
    // The largest DCT scale that covers the recorded size is that size itself.
    if (settings.decodedWidth > 0) return {settings.decodedWidth, settings.decodedHeight};
    return settings.conversion.resize ? Cover{kPreviewWidth, kPreviewHeight} : Cover{};
}

void ReplaySlider(Session& session, Slider slider, int value) {
    if (session.SliderValue(slider) != value)
        session.MoveSlider(slider, value);
    else
        session.ApplySlider(slider);
}

namespace {

void ReplaySourceStep(Session& session, const SourceStep& step) {
    switch (step.kind) {
        case SourceStep::Kind::Slider: ReplaySlider(session, step.slider, step.value); break;
        case SourceStep::Kind::Set: session.Commit(); break;
        case SourceStep::Kind::SnapToMixes: session.SnapSourceToMixes(); break;
    }
}

// One stretch of a longer task's progress: what the part reports as 0 to 1 goes out as from to to.
class PartOfProgress : public TaskProgress {
public:
    PartOfProgress(TaskProgress& whole, double from, double to) : whole_(whole), from_(from), to_(to) {}
    void Report(double fraction) override { whole_.Report(from_ + fraction * (to_ - from_)); }
    void Scored(double before, double now) override { whole_.Scored(before, now); }
    bool Cancelled() override { return whole_.Cancelled(); }

private:
    TaskProgress& whole_;
    double from_;
    double to_;
};

const Error kReplayCancelled{{}, ECANCELED, "the replay was cancelled"};

}  // namespace

void ReplaySourceSteps(Session& session, const std::vector<SourceStep>& steps) {
    for (const SourceStep& step : steps) ReplaySourceStep(session, step);
}

Result<Session> Replay(const ResultSettings& settings, Picture picture, TaskProgress* progress) {
    try {
        ConversionSettings conversion = settings.conversion;
        if (!settings.refinements.empty()) {
            const std::vector<ColourValue>& start = settings.refinements.front().startSwatches;
            std::copy_n(start.begin(), std::min(start.size(), conversion.Swatches(conversion.mode).size()),
                        conversion.Swatches(conversion.mode).begin());
        }
        Session session = Session::StartedWith(conversion);
        session.Load(std::move(picture));
        // The steps take the first half of the bar when refinements follow, which take far longer each.
        const std::size_t steps = settings.sourceSteps.size();
        const double stepsShare = settings.refinements.empty() ? 1.0 : 0.5;
        for (std::size_t n = 0; n < steps; ++n) {
            if (progress) {
                if (progress->Cancelled()) return kReplayCancelled;
                progress->Report(stepsShare * static_cast<double>(n) / static_cast<double>(steps));
            }
            ReplaySourceStep(session, settings.sourceSteps[n]);
        }
        session.SetMixes(settings.mixes);
        session.SetRandomDrawn(settings.randomDrawn);
        session.Reconvert();
        const double perRefinement = (1 - stepsShare) / static_cast<double>(std::max<std::size_t>(settings.refinements.size(), 1));
        for (std::size_t n = 0; n < settings.refinements.size(); ++n) {
            const double from = stepsShare + static_cast<double>(n) * perRefinement;
            std::optional<PartOfProgress> part;
            if (progress) part.emplace(*progress, from, from + perRefinement);
            session.Refine(settings.refinements[n].budgetSeconds, part ? &*part : nullptr);
        }
        return session;
    } catch (const std::bad_alloc&) {
        return Error{{}, ENOMEM, "not enough memory to replay these settings on this picture"};
    }
}

std::vector<std::string> ResultDifferences(const ResultSettings& recorded, const ResultSettings& replayed) {
    std::vector<std::string> differences;
    if (!recorded.pictureSha256.empty() && !replayed.pictureSha256.empty() &&
        recorded.pictureSha256 != replayed.pictureSha256)
        differences.push_back("picture: SHA-256 " + replayed.pictureSha256 + ", the settings name " + recorded.pictureSha256);
    if (recorded.screenSha256 != replayed.screenSha256)
        differences.push_back("screen.tim: SHA-256 " + replayed.screenSha256 + ", the settings name " + recorded.screenSha256);
    const std::span<const ColourValue> recordedSwatches = recorded.conversion.Swatches(recorded.conversion.mode);
    const std::span<const ColourValue> replayedSwatches = replayed.conversion.Swatches(replayed.conversion.mode);
    if (!std::equal(recordedSwatches.begin(), recordedSwatches.end(), replayedSwatches.begin(), replayedSwatches.end())) {
        auto named = [](std::span<const ColourValue> swatches) {
            std::string text;
            for (ColourValue c : swatches) text += (text.empty() ? "" : " ") + HexText(c);
            return text;
        };
        differences.push_back("swatches: " + named(replayedSwatches) + ", the settings name " + named(recordedSwatches));
    }
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
