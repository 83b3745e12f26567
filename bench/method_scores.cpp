// Prints, for every photo in the folders given and every mode, the likeness score (ΔE beside it) of
// the best of methods 1..17 by likeness and of each later method, each in Graphics 2 and 4 with its
// own best colours.
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

struct Scores {
    double likeness;
    double deltaE;
};

Scores ScoreOf(Session session, int method) {
    ChooseMethodWithBestColours(session, method);
    return {session.Likeness(), session.DeltaE()};
}

int Run(const QStringList& folders) {
    // Per mode number: the likeness summed over the photos for the best of 1..17, each later method
    // and each photo's best later method (ΔE likewise); and the count of photos.
    std::map<int, std::map<int, double>> sums, sumsDeltaE;
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
                Scores bestOld{1e9, 0};
                int bestOldMethod = 0;
                for (int m = 1; m <= kMethodCount; ++m) {
                    const Scores score = ScoreOf(session, m);
                    if (score.likeness < bestOld.likeness) bestOld = score, bestOldMethod = m;
                }
                std::printf("| %s | %d | %.2f (%s; ΔE %.2f) | ", name.toUtf8().constData(), mode.number,
                            bestOld.likeness, std::string(MethodNumbered(bestOldMethod).caption).c_str(),
                            bestOld.deltaE);
                Scores bestNew{1e9, 0};
                for (int m = kMethodCount + 1; m <= kAllMethodCount; ++m) {
                    const Scores score = ScoreOf(session, m);
                    if (score.likeness < bestNew.likeness) bestNew = score;
                    sums[mode.number][m] += score.likeness;
                    sumsDeltaE[mode.number][m] += score.deltaE;
                    std::printf("%.2f (%.2f) | ", score.likeness, score.deltaE);
                }
                std::printf("%.3f |\n", bestNew.likeness / bestOld.likeness);
                std::fflush(stdout);
                sums[mode.number][0] += bestOld.likeness;
                sums[mode.number][-1] += bestNew.likeness;
                sumsDeltaE[mode.number][0] += bestOld.deltaE;
                sumsDeltaE[mode.number][-1] += bestNew.deltaE;
                ++photos[mode.number];
            }
        }
    }
    std::printf("\nMean likeness over the photos, each against the best of 1-17, and mean ΔE:\n\n| mode | best of 1-17 | ");
    for (int m = kMethodCount + 1; m <= kAllMethodCount; ++m) std::printf("%d | ", m);
    std::printf("each photo's best new |\n|---|---|");
    for (int m = kMethodCount + 1; m <= kAllMethodCount + 1; ++m) std::printf("---|");
    std::printf("\n");
    for (auto& [mode, sum] : sums) {
        std::map<int, double>& sumDeltaE = sumsDeltaE[mode];
        const double n = photos[mode], old = sum[0] / n;
        std::printf("| Graphics %d | %.2f; ΔE %.2f | ", mode, old, sumDeltaE[0] / n);
        for (int m = kMethodCount + 1; m <= kAllMethodCount + 1; ++m) {
            const int key = m > kAllMethodCount ? -1 : m;
            std::printf("%.2f (%.3f); ΔE %.2f | ", sum[key] / n, sum[key] / n / old, sumDeltaE[key] / n);
        }
        std::printf("\n");
    }
    return 0;
}

}  // namespace
}  // namespace vorbix

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return vorbix::Run(app.arguments().mid(1));
}
