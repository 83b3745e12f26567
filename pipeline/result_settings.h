#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"
#include "pipeline/session.h"

namespace vorbix {

// Every input of a result, and what it produced: the settings file a user shares or archives
// (JSON, versioned). Replayed on the same picture it gives the same screen file, byte for byte.
struct ResultSettings {
    // Version 2 added the refinements; a file without them is written as version 1, which
    // older versions read.
    static constexpr int kVersion = 2;
    // The longest refinement a file may ask a replay to run.
    static constexpr double kMaxRefineSeconds = 3600;

    std::string pictureName;    // the file name, without its folder
    std::string pictureSha256;  // of the picture file's bytes; empty when unknown
    ConversionSettings conversion;  // mode, method, "Resize", swatches
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
// The error says what is wrong with the text (without a path).
Result<ResultSettings> ParseSettingsJson(const std::string& text);

// The source view's changes made again, in order, on a session with its picture loaded.
void ReplaySourceSteps(Session& session, const std::vector<SourceStep>& steps);

// A fresh session given the settings' inputs, the picture loaded and the steps replayed, ending
// with the result's conversion and then its refinements, each with its budget and the progress
// given (a cancelled refinement is left out).
Session Replay(const ResultSettings& settings, const Picture& picture, TaskProgress* progress = nullptr);

// What differs between the result the settings recorded and the one a replay gave, one line
// each, and then why, where a refinement stopped at its budget; empty when they are the same.
std::vector<std::string> ResultDifferences(const ResultSettings& recorded, const ResultSettings& replayed);

}  // namespace vorbix
