#include "web/page_document.h"

#include "io/bmp_file.h"
#include "pipeline/result_settings.h"
#include "pipeline/sha256.h"

namespace vorbix {

void PageDocument::Load(Picture picture, std::vector<std::uint8_t> fileBytes, std::string fileName) {
    picture_ = std::move(picture);
    fileBytes_ = std::move(fileBytes);
    fileName_ = std::move(fileName);
    mixesEdited_ = false;
    ConversionSettings settings = session_.Settings();
    session_ = Session();
    Rebuild(settings);
}

void PageDocument::Rebuild(const ConversionSettings& settings) {
    const std::vector<SourceStep> steps = session_.SourceSteps();
    const MixTable mixes = session_.Mixes();
    Session fresh = Session::StartedWith(settings);
    if (!picture_.Empty()) {
        fresh.Load(picture_);
        ReplaySourceSteps(fresh, steps);
        if (mixesEdited_) {
            fresh.SetMixes(mixes);
            fresh.Reconvert();
        }
    }
    session_ = std::move(fresh);
}

void PageDocument::ChooseMode(TvcMode mode) {
    ConversionSettings settings = session_.Settings();
    settings.mode = mode;
    Rebuild(settings);
}

void PageDocument::ChooseMethod(int method) {
    ConversionSettings settings = session_.Settings();
    settings.method = method;
    Rebuild(settings);
}

void PageDocument::SetResize(bool on) {
    ConversionSettings settings = session_.Settings();
    settings.resize = on;
    Rebuild(settings);
}

void PageDocument::SetKeepShape(KeepShape shape) {
    ConversionSettings settings = session_.Settings();
    settings.keepShape = shape;
    Rebuild(settings);
}

void PageDocument::ChooseSwatches(TvcMode mode, const std::vector<ColourValue>& colours) {
    ConversionSettings settings = session_.Settings();
    const std::span<ColourValue> swatches = settings.Swatches(mode);
    for (std::size_t i = 0; i < swatches.size() && i < colours.size(); ++i) swatches[i] = colours[i];
    Rebuild(settings);
}

std::vector<SwatchCandidate> PageDocument::ChooseBestSwatches() {
    const TvcMode mode = session_.Mode();
    if (ModeOf(mode).swatchCount == 0 || picture_.Empty()) return {};
    std::vector<SwatchCandidate> candidates = BestSwatchCandidates(session_, mode);
    ChooseSwatches(mode, candidates.front().swatches);
    return candidates;
}

void PageDocument::MoveSlider(Slider slider, int value) { session_.MoveSlider(slider, value); }

void PageDocument::Commit() { session_.Commit(); }

void PageDocument::ToggleMix(int k) {
    mixesEdited_ = true;
    session_.ToggleMix(k);
}

void PageDocument::SwapMix(int k) {
    mixesEdited_ = true;
    session_.SwapMix(k);
}

void PageDocument::SwitchAllMixes(bool on) {
    mixesEdited_ = true;
    session_.SwitchAllMixes(on);
}

std::string PageDocument::SettingsFileText() const {
    return SettingsJson(SettingsOf(session_, fileName_, fileBytes_.empty() ? std::string() : Sha256Hex(fileBytes_)));
}

Result<std::vector<std::string>> PageDocument::ApplySettingsFile(const std::string& text) {
    Result<ResultSettings> parsed = ParseSettingsJson(text);
    if (!parsed) return parsed.Failure();
    if (picture_.Empty()) return Error{"", 0, "open the picture first, then its settings"};
    const ResultSettings& recorded = parsed.Value();
    Result<Session> session = Replay(recorded, picture_);
    if (!session) return session.Failure();
    session_ = std::move(session.Value());
    mixesEdited_ = true;
    const ResultSettings replayed = SettingsOf(session_, fileName_, Sha256Hex(fileBytes_));
    // The first differences compare hashes, which say nothing to a reader: they are put in words.
    std::vector<std::string> differences = ResultDifferences(recorded, replayed);
    std::size_t next = 0;
    if (!recorded.pictureSha256.empty() && recorded.pictureSha256 != replayed.pictureSha256)
        differences[next++] = "they were made for another picture, \"" + recorded.pictureName + "\"";
    if (recorded.screenSha256 != replayed.screenSha256)
        differences[next++] = "the screen differs from the one they recorded";
    return differences;
}

std::optional<SourceStep> MoveNotSet(const std::vector<SourceStep>& steps) {
    if (steps.empty() || steps.back().kind != SourceStep::Kind::Slider) return std::nullopt;
    return steps.back();
}

std::vector<std::uint8_t> PageDocument::PreviewBmpBytes() const { return EncodeBmp24(session_.Preview()); }

}  // namespace vorbix
