#include "bench/photo.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

namespace vorbix {

Picture PhotoLikePicture(int width, int height) {
    Picture p(width, height);
    std::mt19937 noise(7);
    std::uniform_int_distribution<int> grain(-6, 6);
    auto clamp = [](double v) { return std::clamp(static_cast<int>(v), 0, 255); };
    for (int y = 0; y < height; ++y) {
        const double v = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double horizon = 0.55 + 0.05 * std::sin(u * 17.0);
            double r, g, b;
            if (v < horizon) {
                const double sun = std::exp(-30.0 * ((u - 0.7) * (u - 0.7) + (v - 0.2) * (v - 0.2)));
                r = 70 + 120 * v + 180 * sun;
                g = 120 + 80 * v + 140 * sun;
                b = 220 - 40 * v + 30 * sun;
            } else {
                const double texture = 0.5 + 0.5 * std::sin(u * 90.0) * std::cos(v * 70.0);
                r = 40 + 90 * texture * (1 - v);
                g = 90 + 100 * texture;
                b = 30 + 60 * (1 - texture);
                if (std::fmod(u * 12.0, 1.0) < 0.08) r = g = b = 30;
            }
            p.SetPixel(x, y, MakeColour(clamp(r + grain(noise)), clamp(g + grain(noise)), clamp(b + grain(noise))));
        }
    }
    return p;
}

std::vector<std::string> JpegsIn(const std::vector<std::string>& folders) {
    std::vector<std::string> found;
    for (const std::string& folder : folders) {
        std::vector<std::filesystem::path> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.is_regular_file() && entry.path().extension() == ".jpg") names.push_back(entry.path());
        std::sort(names.begin(), names.end());
        for (const auto& name : names) found.push_back(name.string());
    }
    return found;
}

}  // namespace vorbix
