#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <limits>

#include "io/picture_decode.h"
#include "io/screen_file.h"
#include "pipeline/best_colours.h"
#include "pipeline/likeness_of.h"

namespace vorbix {
namespace {

std::string Sample(const char* name) { return std::string(VORBIX_SOURCE_DIR) + "/samples/" + name; }

// The search's own score of the document converted with these swatches, at full size.
double FullSizeScore(const Session& session, TvcMode mode, const std::vector<ColourValue>& swatches) {
    Session trial = session;
    trial.ChooseSwatches(mode, swatches);
    return SwatchSearchScore(trial.SourceView(), MachinePicture(mode, trial.Surface(mode), trial.PaletteInUse()));
}

Session Loaded(TvcMode mode, int method, Picture picture) {
    Session session;
    session.ChooseMode(mode);
    session.ChooseMethod(method);
    session.Load(std::move(picture));
    return session;
}

Picture BlackWithOneRow(ColourValue colour) {
    Picture picture(512, 480);
    picture.Fill(MakeColour(0, 0, 0));
    for (int x = 0; x < 512; ++x) picture.SetPixel(x, 240, colour);
    return picture;
}

// The reduced copies lose a thin bright row, and with it what decides the full-size score; the
// choice must still never be worse than the swatches the document starts with or already has.
TEST(BestSwatches, NeverWorseThanTheDefaultOrTheCurrentSwatches) {
    const ColourValue black = MakeColour(0, 0, 0), white = MakeColour(255, 255, 255), yellow = MakeColour(255, 255, 0);
    const struct {
        const char* picture;
        ColourValue row;
        TvcMode mode;
        std::vector<ColourValue> current;
    } cases[] = {
        {"a white row on black", white, TvcMode::Graphics2, {black, white}},
        {"a yellow row on black", yellow, TvcMode::Graphics2, {black, yellow}},
        {"a yellow row on black", yellow, TvcMode::Graphics4, {black, yellow, MakeColour(0, 0, 255), MakeColour(255, 0, 0)}},
    };
    for (const auto& [picture, row, mode, current] : cases) {
        Session session = Loaded(mode, 17, BlackWithOneRow(row));
        session.ChooseSwatches(mode, current);
        const std::vector<ColourValue> defaults =
            mode == TvcMode::Graphics2 ? std::vector<ColourValue>{kDefaultSwatches2.begin(), kDefaultSwatches2.end()}
                                       : std::vector<ColourValue>{kDefaultSwatches4.begin(), kDefaultSwatches4.end()};
        const double chosen = FullSizeScore(session, mode, BestSwatches(session, mode));
        EXPECT_LE(chosen, FullSizeScore(session, mode, defaults)) << picture << ", mode " << ModeOf(mode).number;
        EXPECT_LE(chosen, FullSizeScore(session, mode, current)) << picture << ", mode " << ModeOf(mode).number;
    }
}

// How many of a's colours b lacks.
int ColoursNotIn(const std::vector<ColourValue>& a, const std::vector<ColourValue>& b) {
    return static_cast<int>(std::count_if(a.begin(), a.end(), [&](ColourValue c) { return std::find(b.begin(), b.end(), c) == b.end(); }));
}

TEST(BestSwatchCandidates, SixDifferentSetsBestFirstEachWithItsFullSizeScoreAndPicture) {
    for (const TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4}) {
        const Session session = Loaded(mode, 13, ReadPicture(Sample("landscape.jpg")).Value());
        const std::vector<SwatchCandidate> candidates = BestSwatchCandidates(session, mode);
        const int swatchCount = ModeOf(mode).swatchCount;
        ASSERT_EQ(candidates.size(), static_cast<std::size_t>(kMaxSwatchCandidates)) << "mode " << ModeOf(mode).number;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const SwatchCandidate& c = candidates[i];
            ASSERT_EQ(c.swatches.size(), static_cast<std::size_t>(swatchCount));
            EXPECT_DOUBLE_EQ(c.score, FullSizeScore(session, mode, c.swatches)) << i;
            Session taken = session;
            taken.ChooseSwatches(mode, c.swatches);
            EXPECT_EQ(c.shown, MachinePicture(mode, taken.Surface(mode), taken.PaletteInUse())) << i;
            if (i == 0) continue;
            EXPECT_LE(candidates[i - 1].score, c.score) << i;
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_GE(ColoursNotIn(c.swatches, candidates[j].swatches), swatchCount / 2) << i << " against " << j;
        }
    }
}

// The search tries every set on a reduced copy and converts only its front-runners at full size;
// its choice must score within 3 % of the best set an exhaustive full-size search finds.
TEST(BestSwatches, WithinThreePercentOfTheExhaustiveBestInGraphics2) {
    const struct {
        const char* name;
        int method;
    } cases[] = {{"landscape.jpg", 2}, {"landscape.jpg", 8}, {"colour-chart.jpg", 17}};
    for (const auto& [name, method] : cases) {
            Session session;
            session.ChooseMode(TvcMode::Graphics2);
            session.ChooseMethod(method);
            session.Load(ReadPicture(Sample(name)).Value());
            const Palette tvc = TvcColours();
            double exhaustive = std::numeric_limits<double>::max();
            for (int a = 0; a < 16; ++a)
                for (int b = a + 1; b < 16; ++b) {
                    if (a == 8 || b == 8) continue;  // the second black looks like the first
                    Session trial = session;
                    trial.ChooseSwatches(TvcMode::Graphics2, {ColourOfEntry(tvc[a]), ColourOfEntry(tvc[b])});
                    exhaustive = std::min(exhaustive, trial.Likeness());
                }
            const std::vector<ColourValue> chosen = BestSwatches(session, TvcMode::Graphics2);
            ASSERT_EQ(chosen.size(), 2u);
            Session withChosen = session;
            withChosen.ChooseSwatches(TvcMode::Graphics2, chosen);
            EXPECT_LE(withChosen.Likeness(), exhaustive * 1.03) << name << ", method " << method;
        }
}

// On the reduced copies the landscape's sun is a few pixels, and the sets that keep it (white
// for the sun, blues for the sky) rank far down; the choice must still be as alike as such a set.
TEST(BestSwatches, KeepsUpWithASetThatKeepsTheSunInGraphics4) {
    const Session session = Loaded(TvcMode::Graphics4, 13, ReadPicture(Sample("landscape.jpg")).Value());
    const std::vector<ColourValue> keepsTheSun{MakeColour(0, 0, 0x91), MakeColour(0, 0x91, 0), MakeColour(0, 0, 0xFF),
                                               MakeColour(0xFF, 0xFF, 0xFF)};
    const std::vector<ColourValue> chosen = BestSwatches(session, TvcMode::Graphics4);
    EXPECT_LE(FullSizeScore(session, TvcMode::Graphics4, chosen),
              FullSizeScore(session, TvcMode::Graphics4, keepsTheSun) * 1.01);
}

TEST(BestSwatches, CommandLineWritesTheChosenColoursAndTheirScore) {
    QTemporaryDir dir;
    auto run = [&](const QString& palette, const QString& out) {
        QProcess cli;
        cli.start(VORBIX_CLI, {QString::fromStdString(Sample("landscape.jpg")), "--mode", "4", "--method", "Stucky",
                               "--palette4", palette, "--json", "--out-dir", dir.filePath(out)});
        cli.waitForFinished(-1);
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    };
    const QJsonObject best = run("best", "best");
    const QJsonObject given = run("000000,FFFFFF,0000FF,FF0000", "given");
    EXPECT_EQ(given["palette"].toArray(), QJsonArray({"000000", "FFFFFF", "0000FF", "FF0000"}));
    EXPECT_LT(best["likeness"].toDouble(), given["likeness"].toDouble());
    EXPECT_GT(best["likeness"].toDouble(), 0);

    // best:K takes the K-th set offered; every run lists the same sets, best first.
    const QJsonObject second = run("best:2", "second");
    const QJsonArray offered = best["candidates"].toArray();
    ASSERT_GE(offered.size(), 2);
    EXPECT_EQ(second["candidates"].toArray(), offered);
    EXPECT_EQ(offered[0].toObject()["palette"].toArray(), best["palette"].toArray());
    EXPECT_EQ(offered[1].toObject()["palette"].toArray(), second["palette"].toArray());
    EXPECT_DOUBLE_EQ(offered[0].toObject()["likeness"].toDouble(), best["likeness"].toDouble());
    for (int i = 1; i < offered.size(); ++i)
        EXPECT_LE(offered[i - 1].toObject()["likeness"].toDouble(), offered[i].toObject()["likeness"].toDouble());
    EXPECT_FALSE(given.contains("candidates"));

    // The screen file's palette bytes are the chosen colours.
    QFile tim(dir.filePath("best/screen.tim"));
    ASSERT_TRUE(tim.open(QIODevice::ReadOnly));
    const QByteArray bytes = tim.readAll();
    const QJsonArray chosen = best["palette"].toArray();
    ASSERT_EQ(chosen.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const uint rgb = chosen[i].toString().toUInt(nullptr, 16);
        const PaletteEntry entry = EntryFromRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[4 + i]), TvcColourByte(entry)) << i;
        EXPECT_EQ(ShownColour(TvcColourByte(entry)), entry) << "a TVC colour, shown as it is";
    }
}

TEST(BestSwatches, CommandLineRefusesABestChoiceOutOfRange) {
    for (const char* choice : {"best:0", "best:7", "best:x", "best:"}) {
        QProcess cli;
        cli.start(VORBIX_CLI, {QString::fromStdString(Sample("landscape.jpg")), "--mode", "2", "--palette2", choice});
        cli.waitForFinished(-1);
        EXPECT_EQ(cli.exitCode(), 2) << choice;
        EXPECT_TRUE(cli.readAllStandardError().contains("best:K")) << choice;
    }
}

}  // namespace
}  // namespace vorbix
