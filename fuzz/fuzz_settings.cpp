// Arbitrary settings files: whatever the reader accepts is within its limits and reads back the
// same once written again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pipeline/result_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorbix;
    const Result<ResultSettings> read = ParseSettingsJson(std::string(reinterpret_cast<const char*>(data), size));
    if (!read) {
        if (read.Failure().text.empty()) std::abort();
        return 0;
    }
    const ResultSettings& settings = read.Value();
    if (settings.sourceSteps.size() > ResultSettings::kMaxSourceSteps ||
        settings.refinements.size() > ResultSettings::kMaxRefinements)
        std::abort();
    double total = 0;
    for (const RefinementRun& run : settings.refinements) {
        if (!(run.budgetSeconds > 0)) std::abort();
        total += run.budgetSeconds + ResultSettings::kRefineSetUpSeconds;
    }
    if (!(total <= ResultSettings::kMaxRefineSeconds)) std::abort();
    for (const SourceStep& step : settings.sourceSteps)
        if (step.value < 0 || step.value > 100) std::abort();
    if (settings.pictureName.empty() || settings.pictureName.find('/') != std::string::npos) std::abort();
    const Result<ResultSettings> again = ParseSettingsJson(SettingsJson(settings));
    if (!again || !(again.Value() == settings)) std::abort();
    return 0;
}
