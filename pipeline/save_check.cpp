#include "pipeline/save_check.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "draw/screen_render.h"
#include "io/screen_file.h"

namespace vorbix {

namespace {

constexpr int kColoursListed = 5;

// "Pattern TVC" takes its colours from the chart, at the chart's level; the machine shows them
// as its own normal level.
ColourValue AtMachineLevels(ColourValue c) {
    auto level = [](int component) { return component == kChartNormalLevel ? kNormalLevel : component; };
    return MakeColour(level(GetRed(c)), level(GetGreen(c)), level(GetBlue(c)));
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string DescribeDifferences(const std::map<std::pair<ColourValue, ColourValue>, int>& differences, int pixelCount) {
    std::vector<std::pair<int, std::pair<ColourValue, ColourValue>>> byCount;
    int differing = 0;
    for (const auto& [colours, count] : differences) {
        byCount.push_back({count, colours});
        differing += count;
    }
    std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::string text = "the TVC shows " + std::to_string(differing) + " of " + Plural(pixelCount, "pixel", "pixels") +
                       " differently: ";
    const int listed = std::min(kColoursListed, static_cast<int>(byCount.size()));
    for (int i = 0; i < listed; ++i) {
        const auto& [count, colours] = byCount[i];
        if (i > 0) text += ", ";
        text += RgbText(EntryFromColour(colours.first)) + " as " + RgbText(EntryFromColour(colours.second)) + " on " +
                Plural(count, "pixel", "pixels");
    }
    if (listed < static_cast<int>(byCount.size()))
        text += " and " + Plural(static_cast<int>(byCount.size()) - listed, "other colour", "other colours");
    return text;
}

}  // namespace

Result<std::optional<std::string>> CheckShownScreen(const std::string& timPath, TvcMode mode, const Picture& surface,
                                                    const Palette& palette) {
    const auto bytes = ReadScreenFileBytes(timPath);
    if (!bytes) return Error{timPath, bytes.Failure().code, "cannot read back " + bytes.Failure().text};
    const auto parsed = ParseTimBytes(bytes.Value());
    if (!parsed) return Error{timPath, 0, timPath + " reads back wrong: " + parsed.Failure().text};
    const ScreenFile& file = parsed.Value();
    const Picture shown = RenderScreen(file.mode, file.image, file.registers);

    std::map<std::pair<ColourValue, ColourValue>, int> differences;
    const int width = std::min(shown.Width(), surface.Width());
    const int height = std::min(shown.Height(), surface.Height());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const ColourValue made = surface.Pixel(x, y), seen = shown.Pixel(x, y);
            if (AtMachineLevels(made) != seen) ++differences[{made, seen}];
        }
    if (differences.empty()) return std::optional<std::string>();
    std::string message = timPath + ": " + DescribeDifferences(differences, width * height);
    if (const auto unshowable = UnshowableColours(mode, palette)) message += "; " + *unshowable;
    return std::optional<std::string>(message);
}

}  // namespace vorbix
