#pragma once

// The page's document: the session the page shows, kept equal to the one vorbix-cli builds for
// the same picture and settings, so that the page's files are the command line's, byte for byte.

#include <optional>
#include <string>
#include <vector>

#include "io/cas_file.h"
#include "pipeline/best_colours.h"
#include "pipeline/session.h"

namespace vorbix {

class PageDocument {
public:
    // Replaces the picture; the document is built afresh around it and converted.
    void Load(Picture picture, std::vector<std::uint8_t> fileBytes, std::string fileName);
    bool HasPicture() const { return !picture_.Empty(); }

    // Mode, method, "Resize" and swatches are set before the picture is loaded, as the command
    // line sets them: the document is built afresh, its source steps and edited mixes replayed.
    void ChooseMode(TvcMode mode);
    void ChooseMethod(int method);
    void SetResize(bool on);
    void SetKeepShape(KeepShape shape);
    void ChooseSwatches(TvcMode mode, const std::vector<ColourValue>& colours);
    // The sets of swatches "Best colours" offers for the picture, method and tone, best first; the
    // first is chosen as above. None in Graphics 16 or without a picture.
    std::vector<SwatchCandidate> ChooseBestSwatches();

    // What the window does in place: a slider, "Set", the pattern chart's switches.
    void MoveSlider(Slider slider, int value);
    void Commit();
    void ToggleMix(int k);
    void SwapMix(int k);
    void SwitchAllMixes(bool on);

    // The refinement is kept, as the command line's --refine keeps it.
    Refinement Refine(double seconds, TaskProgress* progress) {
        return HasPicture() ? session_.Refine(seconds, progress) : Refinement{};
    }

    std::string SettingsFileText() const;
    // Replays a settings file on the picture: an error, or what differs from what it recorded, in
    // words (empty when identical).
    Result<std::vector<std::string>> ApplySettingsFile(const std::string& text);

    const Session& Current() const { return session_; }
    std::vector<std::uint8_t> PreviewBmpBytes() const;
    ProgramFile Program(ProgramFormat format) const { return session_.ProgramFileBytes(format); }

private:
    void Rebuild(const ConversionSettings& settings);

    Picture picture_;
    std::vector<std::uint8_t> fileBytes_;
    std::string fileName_;
    Session session_;
    bool mixesEdited_ = false;
};

// The slider move the source view shows that "Set" has not made the loaded picture yet: the next
// slider starts again from the loaded picture without it.
std::optional<SourceStep> MoveNotSet(const std::vector<SourceStep>& steps);

}  // namespace vorbix
