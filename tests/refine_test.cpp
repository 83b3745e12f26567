#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "dither/pattern.h"
#include "pipeline/edit_history.h"
#include "pipeline/refine.h"
#include "pipeline/save_check.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

constexpr int kFloyd = 2;
constexpr int kBayer4 = 8;
constexpr int kNoisyThreshold = 4;

// Smooth colours with a sharp edge: something every method leaves room to improve.
Picture Scene() {
    Picture p(96, 72);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const bool disc = (x - 60) * (x - 60) + (y - 30) * (y - 30) < 300;
            p.SetPixel(x, y, disc ? MakeColour(230, 200, 40) : MakeColour(x * 255 / 96, 90 + y, 200 - y * 2));
        }
    return p;
}

Session Converted(TvcMode mode, int method) {
    Session session;
    session.ChooseMode(mode);
    session.ChooseMethod(method);
    session.Load(Scene());
    return session;
}

// A clock that moves a millisecond each time it is read: the search asks it once a row, so a
// budget is a number of rows, the same on every machine.
Clock RowClock() {
    auto now = std::make_shared<double>(0.0);
    return [now] { return *now += 0.001; };
}

std::string Describe(TvcMode mode, int method) {
    return std::string(ModeOf(mode).caption) + ", method " + std::to_string(method);
}

// In every mode, from methods of each kind: the score never rises, the session shows the refined
// result, and the screen files hold it as the machine shows it.
TEST(Refine, NeverRaisesTheScoreAndTheSavedScreenShowsTheRefinedResult) {
    const struct {
        TvcMode mode;
        int method;
    } cases[] = {
        {TvcMode::Graphics16, kFloyd},         {TvcMode::Graphics16, kPatternTvc},
        {TvcMode::Graphics16, kBayer4},        {TvcMode::Graphics4, kNoisyThreshold},
        {TvcMode::Graphics4, kPatternTvc},     {TvcMode::Graphics2, kFloyd},
    };
    for (const auto& c : cases) {
        Session session = Converted(c.mode, c.method);
        const RefineStart start = session.StartOfRefinement();
        const double before = session.Likeness();
        const Refinement refined = Refine(start, 0.4, nullptr, RowClock());
        EXPECT_DOUBLE_EQ(refined.scoreBefore, before) << Describe(c.mode, c.method);
        EXPECT_LE(refined.scoreAfter, before) << Describe(c.mode, c.method);
        EXPECT_GT(refined.changes, 0) << Describe(c.mode, c.method);
        if (c.mode == TvcMode::Graphics16) {
            EXPECT_EQ(refined.palette, start.palette) << Describe(c.mode, c.method);
        }
        ASSERT_TRUE(session.AcceptRefinement(start, refined, 0.4));
        EXPECT_EQ(session.PaletteInUse(), refined.palette) << Describe(c.mode, c.method);
        EXPECT_TRUE(session.Refined());
        EXPECT_EQ(session.Surface(c.mode), refined.surface);
        EXPECT_DOUBLE_EQ(session.Likeness(), refined.scoreAfter) << Describe(c.mode, c.method);

        const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "refine-save";
        std::filesystem::create_directories(dir);
        const SavePaths paths = SavePathsInFolder(dir.string());
        ASSERT_TRUE(session.Save(paths).Ok());
        const auto checked = CheckShownScreen(paths.tim, c.mode, session.Surface(c.mode), session.PaletteInUse());
        ASSERT_TRUE(checked.Ok()) << checked.Failure().text;
        EXPECT_EQ(checked.Value(), std::nullopt) << Describe(c.mode, c.method);
    }
}

// The budget counts from the start: with the clock read once a row, a budget of three readings
// lets two rows be searched, and nothing below them (an exchange reaches one row down) changes.
TEST(Refine, StopsAtItsBudget) {
    const Session session = Converted(TvcMode::Graphics2, kFloyd);
    const RefineStart start = session.StartOfRefinement();
    auto now = std::make_shared<double>(0.0);
    const Refinement refined = Refine(start, 2.5, nullptr, [now] { return *now += 1.0; });
    EXPECT_FALSE(refined.converged);
    EXPECT_FALSE(refined.cancelled);
    EXPECT_EQ(refined.sweeps, 1);
    EXPECT_GT(refined.changes, 0);
    for (int y = 3; y < start.surface.Height(); ++y)
        for (int x = 0; x < start.surface.Width(); ++x)
            ASSERT_EQ(refined.surface.Pixel(x, y), start.surface.Pixel(x, y)) << "pixel " << x << ", " << y;
}

TEST(Refine, ConvergesOnAPictureItCannotImproveAndKeepsItsBytes) {
    Session session;
    session.ChooseMode(TvcMode::Graphics16);
    session.ChooseMethod(kFloyd);
    session.Load(Picture(64, 48, MakeColour(255, 0, 0)));  // a TVC colour: the conversion is exact
    const RefineStart start = session.StartOfRefinement();
    const Refinement refined = Refine(start, 1000, nullptr, RowClock());
    EXPECT_TRUE(refined.converged);
    EXPECT_EQ(refined.sweeps, 1);
    EXPECT_EQ(refined.changes, 0);
    EXPECT_EQ(refined.surface, start.surface);
}

// Yellow, green and their mixes, started from the default swatches, which show none of them: the
// search gives swatches colours the picture needs, each a TVC colour no other swatch shows, and
// the swatch frame, the screen files and the likeness follow the palette it chose.
TEST(Refine, MovesTheSwatchesInGraphics2And4) {
    Picture meadow(64, 48);
    for (int y = 0; y < meadow.Height(); ++y)
        for (int x = 0; x < meadow.Width(); ++x) meadow.SetPixel(x, y, MakeColour(150 + x, 170 + y, 20));
    for (const TvcMode mode : {TvcMode::Graphics2, TvcMode::Graphics4}) {
        Session session;
        session.ChooseMode(mode);
        session.ChooseMethod(kFloyd);
        session.Load(meadow);
        const RefineStart start = session.StartOfRefinement();
        const Refinement refined = Refine(start, 1, nullptr, RowClock());
        const std::string caption(ModeOf(mode).caption);
        EXPECT_GT(refined.swatchChanges, 0) << caption;
        EXPECT_LT(refined.scoreAfter, refined.scoreBefore) << caption;
        ASSERT_EQ(refined.palette.size(), start.palette.size()) << caption;
        EXPECT_NE(refined.palette, start.palette) << caption;
        std::set<std::uint8_t> shown;
        for (const PaletteEntry& entry : refined.palette) {
            EXPECT_EQ(ShownColour(TvcColourByte(entry)), entry) << caption << ": not a TVC colour";
            shown.insert(TvcColourByte(entry));
        }
        EXPECT_EQ(shown.size(), refined.palette.size()) << caption << ": two swatches alike";

        ASSERT_TRUE(session.AcceptRefinement(start, refined, 1));
        const std::span<const ColourValue> swatches = session.Settings().Swatches(mode);
        for (std::size_t i = 0; i < swatches.size(); ++i) EXPECT_EQ(swatches[i], ColourOfEntry(refined.palette[i])) << caption;
        EXPECT_EQ(session.PaletteInUse(), refined.palette) << caption;
        EXPECT_DOUBLE_EQ(session.Likeness(), refined.scoreAfter) << caption;
        const std::vector<ColourValue> defaults(DefaultSwatches(mode).begin(), DefaultSwatches(mode).end());
        EXPECT_EQ(session.Refinements().back().startSwatches, defaults) << caption;
        const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "refine-swatches";
        std::filesystem::create_directories(dir);
        const SavePaths paths = SavePathsInFolder(dir.string());
        ASSERT_TRUE(session.Save(paths).Ok());
        const auto checked = CheckShownScreen(paths.tim, mode, session.Surface(mode), session.PaletteInUse());
        ASSERT_TRUE(checked.Ok()) << checked.Failure().text;
        EXPECT_EQ(checked.Value(), std::nullopt) << caption;
    }
}

class CancelAtOnce : public TaskProgress {
public:
    void Report(double fraction) override { reported.push_back(fraction); }
    bool Cancelled() override { return true; }
    std::vector<double> reported;
};

// What the window shows while it runs: each better score as it is reached, down to the result's.
class RecordScores : public TaskProgress {
public:
    void Report(double) override {}
    void Scored(double before, double now) override { told.push_back({before, now}); }
    bool Cancelled() override { return false; }
    std::vector<std::pair<double, double>> told;
};

TEST(Refine, TellsEachBetterScoreAsItGoes) {
    const Session session = Converted(TvcMode::Graphics4, kFloyd);
    RecordScores progress;
    const Refinement refined = Refine(session.StartOfRefinement(), 1, &progress, RowClock());
    ASSERT_FALSE(progress.told.empty());
    double last = refined.scoreBefore;
    for (const auto& [before, now] : progress.told) {
        EXPECT_DOUBLE_EQ(before, refined.scoreBefore);
        EXPECT_LT(now, last);
        last = now;
    }
    EXPECT_DOUBLE_EQ(last, refined.scoreAfter);
}

TEST(Refine, CancelledLeavesTheResultAsItWas) {
    Session session = Converted(TvcMode::Graphics4, kFloyd);
    const Picture converted = session.Surface(TvcMode::Graphics4);
    CancelAtOnce progress;
    const Refinement refined = session.Refine(10, &progress);
    EXPECT_TRUE(refined.cancelled);
    EXPECT_FALSE(progress.reported.empty());
    EXPECT_EQ(refined.surface, converted);
    EXPECT_FALSE(session.Refined());
    EXPECT_EQ(session.Surface(TvcMode::Graphics4), converted);
}

// A refinement of a result that a conversion or an edit has replaced meanwhile is not taken.
TEST(Refine, AStaleRefinementIsRefused) {
    Session session = Converted(TvcMode::Graphics16, kFloyd);
    const RefineStart start = session.StartOfRefinement();
    const Refinement refined = Refine(start, 0.2, nullptr, RowClock());
    session.MoveSlider(Slider::Brightness, 70);
    const Picture now = session.Surface(TvcMode::Graphics16);
    EXPECT_FALSE(session.AcceptRefinement(start, refined, 0.2));
    EXPECT_EQ(session.Surface(TvcMode::Graphics16), now);
    EXPECT_FALSE(session.Refined());
    session.ChooseMode(TvcMode::Graphics4);
    EXPECT_FALSE(session.AcceptRefinement(start, refined, 0.2));
}

// The swatches it moves come and go with it.
TEST(Refine, IsOneUndoStep) {
    for (const TvcMode mode : {TvcMode::Graphics16, TvcMode::Graphics4}) {
        const std::string caption(ModeOf(mode).caption);
        Session session = Converted(mode, kFloyd);
        const Picture converted = session.Surface(mode);
        const ConversionSettings settings = session.Settings();
        EditHistory history;
        // On a clock of rows, so that a busy machine still gets a refinement that changes pixels.
        history.Run(session, EditKind::Refine, [&] {
            const RefineStart start = session.StartOfRefinement();
            ASSERT_TRUE(session.AcceptRefinement(start, Refine(start, 0.4, nullptr, RowClock()), 0.4));
        });
        const Picture refined = session.Surface(mode);
        const ConversionSettings refinedSettings = session.Settings();
        ASSERT_NE(refined, converted) << caption;
        ASSERT_TRUE(history.Undo(session));
        EXPECT_EQ(session.Surface(mode), converted) << caption;
        EXPECT_EQ(session.Settings(), settings) << caption;
        EXPECT_FALSE(session.Refined());
        ASSERT_TRUE(history.Redo(session));
        EXPECT_EQ(session.Surface(mode), refined) << caption;
        EXPECT_EQ(session.Settings(), refinedSettings) << caption;
        EXPECT_TRUE(session.Refined());
        // An edit after the refinement converts anew; undoing it brings the refinement back.
        history.Run(session, EditKind::Swatch, [&] { session.SetSwatch(TvcMode::Graphics2, 1); });
        EXPECT_FALSE(session.Refined()) << caption;
        ASSERT_TRUE(history.Undo(session));
        EXPECT_EQ(session.Surface(mode), refined) << caption;
        EXPECT_EQ(session.Settings(), refinedSettings) << caption;
        EXPECT_TRUE(session.Refined());
    }
}

// "Pattern TVC" in Graphics 16 is refined in whole mixes: every pixel pair it changes shows a mix
// that is on, its first colour where column and row are both even or both odd.
TEST(Refine, PatternTvcChangesWholeMixesThatAreOn) {
    Session session = Converted(TvcMode::Graphics16, kPatternTvc);
    MixTable mixes = session.Mixes();
    for (int k = 0; k < kMixCount; k += 3) mixes.SetOff(k, true);
    mixes.SwapColours(119);
    session.SetMixes(mixes);
    session.Reconvert();
    const RefineStart start = session.StartOfRefinement();
    ASSERT_TRUE(start.mixes.has_value());
    const Refinement refined = Refine(start, 0.5, nullptr, RowClock());
    ASSERT_GT(refined.changes, 0);
    for (int y = 0; y < start.surface.Height(); ++y)
        for (int x = 0; x < start.surface.Width(); x += 2) {
            const ColourValue left = refined.surface.Pixel(x, y), right = refined.surface.Pixel(x + 1, y);
            if (left == start.surface.Pixel(x, y) && right == start.surface.Pixel(x + 1, y)) continue;
            bool aMixThatIsOn = false;
            for (int k = 0; k < kMixCount; ++k) {
                const Mix& mix = mixes[k];
                const ColourValue first = ColourOfEntry(mix.first), second = ColourOfEntry(mix.second);
                const bool shown = y % 2 == 0 ? left == first && right == second : left == second && right == first;
                aMixThatIsOn |= !mix.off && shown;
            }
            EXPECT_TRUE(aMixThatIsOn) << "pair at " << x << ", " << y;
        }
}

}  // namespace
}  // namespace vorbix
