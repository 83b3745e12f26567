// Prints, for every photo in the folders given and every mode, the likeness score of the best of
// methods 1..17 and of each later method, each in Graphics 2 and 4 with its own best colours.
// Usage: vorbix_method_scores FOLDER...

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "dither/methods.h"
#include "io/picture_decode.h"
#include "pipeline/best_colours.h"

namespace vorbix {
namespace {

double ScoreOf(Session session, int method) {
    ChooseMethodWithBestColours(session, method);
    return session.Likeness();
}

int Run(const QStringList& folders) {
    // Per mode number: the sum over the photos of the best of 1..17, of each later method, and of
    // each photo's best later method; and the count of photos.
    std::map<int, std::map<int, double>> sums;
    std::map<int, int> photos;
    std::printf("| picture | mode | best of 1-17 | ");
    for (int m = kMethodCount + 1; m <= kAllMethodCount; ++m) std::printf("%d %s | ", m, std::string(MethodNumbered(m).caption).c_str());
    std::printf("best new / best of 1-17 |\n|---|---|---|");
    for (int m = kMethodCount + 1; m <= kAllMethodCount + 1; ++m) std::printf("---|");
    std::printf("\n");
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList({"*.jpg"}, QDir::Files, QDir::Name)) {
            const auto picture = ReadPicture(dir.filePath(name).toStdString());
            if (!picture) continue;
            for (const ModeInfo& mode : kModes) {
                Session session;
                session.ChooseMode(mode.mode);
                session.Load(picture.Value());
                session.Commit();
                double bestOld = 1e9;
                int bestOldMethod = 0;
                for (int m = 1; m <= kMethodCount; ++m) {
                    const double score = ScoreOf(session, m);
                    if (score < bestOld) bestOld = score, bestOldMethod = m;
                }
                std::printf("| %s | %d | %.2f (%s) | ", name.toUtf8().constData(), mode.number, bestOld,
                            std::string(MethodNumbered(bestOldMethod).caption).c_str());
                double bestNew = 1e9;
                for (int m = kMethodCount + 1; m <= kAllMethodCount; ++m) {
                    const double score = ScoreOf(session, m);
                    bestNew = std::min(bestNew, score);
                    sums[mode.number][m] += score;
                    std::printf("%.2f | ", score);
                }
                std::printf("%.3f |\n", bestNew / bestOld);
                std::fflush(stdout);
                sums[mode.number][0] += bestOld;
                sums[mode.number][-1] += bestNew;
                ++photos[mode.number];
            }
        }
    }
    std::printf("\nMeans over the photos, and each against the best of 1-17:\n\n| mode | best of 1-17 | ");
    for (int m = kMethodCount + 1; m <= kAllMethodCount; ++m) std::printf("%d | ", m);
    std::printf("each photo's best new |\n|---|---|");
    for (int m = kMethodCount + 1; m <= kAllMethodCount + 1; ++m) std::printf("---|");
    std::printf("\n");
    for (auto& [mode, sum] : sums) {
        const double n = photos[mode], old = sum[0] / n;
        std::printf("| Graphics %d | %.2f | ", mode, old);
        for (int m = kMethodCount + 1; m <= kAllMethodCount; ++m) std::printf("%.2f (%.3f) | ", sum[m] / n, sum[m] / n / old);
        std::printf("%.2f (%.3f) |\n", sum[-1] / n, sum[-1] / n / old);
    }
    return 0;
}

}  // namespace
}  // namespace vorbix

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return vorbix::Run(app.arguments().mid(1));
}
