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

namespace vorbix {
namespace {

std::string Sample(const char* name) { return std::string(VORBIX_SOURCE_DIR) + "/samples/" + name; }

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
                    trial.ChooseSwatches(TvcMode::Graphics2, {ColorOfEntry(tvc[a]), ColorOfEntry(tvc[b])});
                    exhaustive = std::min(exhaustive, trial.Likeness());
                }
            const std::vector<ColorValue> chosen = BestSwatches(session, TvcMode::Graphics2);
            ASSERT_EQ(chosen.size(), 2u);
            Session withChosen = session;
            withChosen.ChooseSwatches(TvcMode::Graphics2, chosen);
            EXPECT_LE(withChosen.Likeness(), exhaustive * 1.03) << name << ", method " << method;
        }
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
    EXPECT_LT(best["delta_e"].toDouble(), given["delta_e"].toDouble());
    EXPECT_GT(best["delta_e"].toDouble(), 0);

    // The screen file's palette bytes are the chosen colours.
    QFile tim(dir.filePath("best/screen.tim"));
    ASSERT_TRUE(tim.open(QIODevice::ReadOnly));
    const QByteArray bytes = tim.readAll();
    const QJsonArray chosen = best["palette"].toArray();
    ASSERT_EQ(chosen.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const uint rgb = chosen[i].toString().toUInt(nullptr, 16);
        const PaletteEntry entry = EntryFromRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[4 + i]), TvcColorByte(entry)) << i;
        EXPECT_EQ(ShownColour(TvcColorByte(entry)), entry) << "a TVC colour, shown as it is";
    }
}

}  // namespace
}  // namespace vorbix
