#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/picture_decode.h"
#include "io/result.h"
#include "pipeline/session.h"
#include "pipeline/task_progress.h"

namespace vorbix {

// Every input of a result, and what it produced: the settings file a user shares or archives
// (JSON, versioned). Replayed on the same picture it gives the same screen file, byte for byte.
struct ResultSettings {
    // Version 2 added the refinements, version 3 the swatches a refinement started from; a file
    // is written as the lowest version that holds it, which older versions read.
    static constexpr int kVersion = 3;
    // What a file may ask a replay to do, about what a person makes in a long sitting. Each
    // refinement costs its budget and its set-up (the first look at the whole picture), which
    // no budget bounds; together they are held to kMaxRefineSeconds.
    static constexpr std::size_t kMaxSourceSteps = 2000;
    static constexpr std::size_t kMaxRefinements = 100;
    static constexpr double kRefineSetUpSeconds = 2;
    static constexpr double kMaxRefineSeconds = 3600;
    // A settings file is a few kilobytes; anything larger is not one.
    static constexpr std::int64_t kMaxFileBytes = 1 << 20;

    std::string pictureName;    // the file name, without its folder
    std::string pictureSha256;  // of the picture file's bytes; empty when unknown
    // The picture's size as loaded: a large JPEG is decoded at a DCT scale when "Resize" is
    // ticked, and a replay decodes it at the same one. 0: not recorded (then the rule of
    // "Resize" decides, as when it was saved).
    int decodedWidth = 0;
    int decodedHeight = 0;
    ConversionSettings conversion;  // mode, method, "Resize", swatches (as the result shows them)
    std::vector<SourceStep> sourceSteps;
    MixTable mixes;
    std::uint64_t randomDrawn = 0;  // random numbers drawn before the result's conversion
    std::vector<RefinementRun> refinements;  // run on the conversion, in order
    std::string screenSha256;       // of the "screen.tim" the result gives
    int colours = 0;                // of the preview

    bool operator==(const ResultSettings&) const = default;
};

// The session's result and its inputs.
ResultSettings SettingsOf(const Session& session, const std::string& pictureName, const std::string& pictureSha256);

std::string SettingsJson(const ResultSettings& settings);
// The error says what is wrong with the text (without a path), naming the field.
Result<ResultSettings> ParseSettingsJson(const std::string& text);

// A settings file read and parsed; a file that is not a regular one, or too large, is refused
// saying what it is. The error names the path.
Result<ResultSettings> ReadSettingsFile(const std::string& path);

// What to decode a picture to so that it is the one the settings' result loaded:
// ReadPicture(path, kMaxPicturePixels, CoverToReplay(settings)).
Cover CoverToReplay(const ResultSettings& settings);

// A slider moved to value (or, already there, applied once more), as a user's move is.
void ReplaySlider(Session& session, Slider slider, int value);

// The source view's changes made again, in order, on a session with its picture loaded.
void ReplaySourceSteps(Session& session, const std::vector<SourceStep>& steps);

// A fresh session given the settings' inputs, the picture loaded and the steps replayed, ending
// with the result's conversion (with the swatches the first refinement started from, where it
// names them) and then its refinements, each with its budget and the progress given (a
// cancelled refinement is left out). The progress covers the steps too, and a cancel between
// steps ends the replay with an error. Running out of memory is an error, not a throw.
Result<Session> Replay(const ResultSettings& settings, Picture picture, TaskProgress* progress = nullptr);

// What differs between the result the settings recorded and the one a replay gave, one line
// each, and then why, where a refinement stopped at its budget; empty when they are the same.
std::vector<std::string> ResultDifferences(const ResultSettings& recorded, const ResultSettings& replayed);

}  // namespace vorbix
