#include <gtest/gtest.h>

#include <memory>

#include "pipeline/result_settings.h"
#include "pipeline/sha256.h"

namespace vorbix {
namespace {

std::vector<std::uint8_t> BytesOf(const std::string& text) { return {text.begin(), text.end()}; }

Picture Gradient(int w, int h) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.SetPixel(x, y, MakeColour(x * 255 / w, y * 255 / h, (x * y) % 256));
    return p;
}

TEST(Sha256, MatchesThePublishedDigests) {
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the block, the padding takes a second one.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Hex(BytesOf(c.message)), c.digest) << c.message.size();
}

TEST(RandomSequence, AfterDrawingNDrawsWhatTheSequenceDrawsAfterN) {
    for (std::uint64_t n : {0u, 1u, 2u, 7u, 1000u, 65537u}) {
        RandomSequence drawn;
        for (std::uint64_t i = 0; i < n; ++i) drawn.Next();
        RandomSequence skipped = RandomSequence::AfterDrawing(n);
        EXPECT_EQ(skipped, drawn) << n;
        EXPECT_EQ(skipped.Next(), drawn.Next()) << n;
    }
}

// A session through every kind of input a result has.
Session Edited(const Picture& picture) {
    Session s;
    s.SetMode(TvcMode::Graphics4);
    s.SetMethod(4);  // "Treshold+Noise": the random numbers matter
    s.Load(picture);
    s.PickColour(10);
    s.SetSwatch(TvcMode::Graphics4, 3);
    s.MoveSlider(Slider::Brightness, 30);
    s.MoveSlider(Slider::Brightness, 62);  // a drag: one step
    s.Commit();
    s.MoveSlider(Slider::Contrast, 40);
    s.ToggleMix(0);
    s.SwapMix(5);
    s.Reconvert();
    return s;
}

TEST(ResultSettings, WrittenAndReadBackTheyAreTheSameAndReplayToTheSameScreen) {
    const Picture picture = Gradient(40, 30);
    const Session edited = Edited(picture);
    ASSERT_EQ(edited.SourceSteps().size(), 3u);
    const ResultSettings settings = SettingsOf(edited, "photo.jpg", "ab12");
    const Result<ResultSettings> read = ParseSettingsJson(SettingsJson(settings));
    ASSERT_TRUE(read) << read.Failure().text;
    EXPECT_EQ(read.Value(), settings);

    const Session replayed = Replay(read.Value(), picture).Value();
    EXPECT_EQ(replayed.ScreenTimFileBytes(), edited.ScreenTimFileBytes());
    EXPECT_EQ(replayed.Preview(), edited.Preview());
    EXPECT_TRUE(ResultDifferences(settings, SettingsOf(replayed, "photo.jpg", "ab12")).empty());
}

TEST(ResultSettings, TheKeptShapeIsWrittenReadAndReplayedAndAFileWithoutItStretches) {
    const Picture picture = Gradient(60, 20);
    Session fitted;
    fitted.SetKeepShape(KeepShape::Fit);
    fitted.Load(picture);
    const ResultSettings settings = SettingsOf(fitted, "wide.png", "");
    const std::string text = SettingsJson(settings);
    EXPECT_NE(text.find("\"keep_shape\": \"fit\""), std::string::npos);
    const Result<ResultSettings> read = ParseSettingsJson(text);
    ASSERT_TRUE(read) << read.Failure().text;
    EXPECT_EQ(read.Value().conversion.keepShape, KeepShape::Fit);
    EXPECT_EQ(Replay(read.Value(), picture).Value().ScreenTimFileBytes(), fitted.ScreenTimFileBytes());

    const std::string stretched = SettingsJson(SettingsOf(Session(), "a.jpg", ""));
    EXPECT_EQ(stretched.find("keep_shape"), std::string::npos);
    ASSERT_TRUE(ParseSettingsJson(stretched));
    EXPECT_EQ(ParseSettingsJson(stretched).Value().conversion.keepShape, KeepShape::Stretch);
}

TEST(ResultSettings, ADifferentResultSaysWhatDiffers) {
    const Picture picture = Gradient(40, 30);
    const ResultSettings settings = SettingsOf(Edited(picture), "photo.jpg", "ab12");
    ResultSettings changed = settings;
    changed.conversion.method = 2;
    const auto differences = ResultDifferences(settings, SettingsOf(Replay(changed, picture).Value(), "photo.jpg", "cd34"));
    ASSERT_GE(differences.size(), 2u);
    EXPECT_EQ(differences[0], "picture: SHA-256 cd34, the settings name ab12");
    EXPECT_EQ(differences[1].rfind("screen.tim: SHA-256 ", 0), 0u) << differences[1];
}

constexpr int kTreshold = 3;

// Black but for a gradient in its top left corner: the refinement has a little to do there, so it
// finds nothing more that helps after a few sweeps.
Picture GradientCorner() {
    Picture p(64, 48, MakeColour(0, 0, 0));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) p.SetPixel(x, y, MakeColour(x * 4, y * 5, x * y));
    return p;
}

// A conversion refined until no change helps.
Session RefinedToTheEnd(const Picture& picture) {
    Session s;
    s.ChooseMethod(kTreshold);
    s.Load(picture);
    const Refinement refined = s.Refine(60);
    EXPECT_TRUE(refined.converged);
    EXPECT_GT(refined.changes, 0);
    return s;
}

TEST(ResultSettings, ARefinedResultIsWrittenWithItsRefinementAndReplaysToTheSameScreen) {
    const Picture picture = GradientCorner();
    const Session refined = RefinedToTheEnd(picture);
    const ResultSettings settings = SettingsOf(refined, "photo.jpg", "ab12");
    ASSERT_EQ(settings.refinements, (std::vector<RefinementRun>{{60, true, {}}}));
    const std::string text = SettingsJson(settings);
    EXPECT_NE(text.find("\"version\": 2"), std::string::npos) << text;
    const Result<ResultSettings> read = ParseSettingsJson(text);
    ASSERT_TRUE(read) << read.Failure().text;
    EXPECT_EQ(read.Value(), settings);

    const Session replayed = Replay(read.Value(), picture).Value();
    EXPECT_EQ(replayed.Refinements(), settings.refinements);
    EXPECT_EQ(replayed.ScreenTimFileBytes(), refined.ScreenTimFileBytes());
    EXPECT_TRUE(ResultDifferences(settings, SettingsOf(replayed, "photo.jpg", "ab12")).empty());
    // Without the refinement the replay is the plain conversion, which is not this result.
    ResultSettings unrefined = settings;
    unrefined.refinements.clear();
    EXPECT_FALSE(ResultDifferences(settings, SettingsOf(Replay(unrefined, picture).Value(), "photo.jpg", "ab12")).empty());
}

TEST(ResultSettings, AnUnrefinedResultIsWrittenAsBeforeTheRefinementsWereRecorded) {
    const std::string text = SettingsJson(SettingsOf(Edited(Gradient(40, 30)), "photo.jpg", "ab12"));
    EXPECT_NE(text.find("\"version\": 1"), std::string::npos) << text;
    EXPECT_EQ(text.find("refine"), std::string::npos) << text;
}

// A refinement its budget stopped gives other pixels where the replay stops elsewhere; the
// report says why. The recorded refinements run on a clock of rows, the replays on the real one
// with a budget too short for a row.
TEST(ResultSettings, ARefinementStoppedByItsBudgetIsNamedAsTheReasonTheReplayDiffers) {
    const Picture picture = GradientCorner();
    const struct {
        double rowClockBudget;
        bool converged;
        const char* reason;
    } cases[] = {
        {0.05, false, "the refinement was stopped by its time budget (1e-09 s) before it converged"},
        {1000, true, "the replay's refinement was stopped by its time budget (1e-09 s) before it converged"},
    };
    for (const auto& c : cases) {
        Session recorded;
        recorded.ChooseMethod(kTreshold);
        recorded.Load(picture);
        const RefineStart start = recorded.StartOfRefinement();
        auto now = std::make_shared<double>(0.0);
        const Refinement refined = Refine(start, c.rowClockBudget, nullptr, [now] { return *now += 0.001; });
        ASSERT_EQ(refined.converged, c.converged) << c.reason;
        ASSERT_TRUE(recorded.AcceptRefinement(start, refined, 1e-9));
        const ResultSettings settings = SettingsOf(recorded, "photo.jpg", "");
        const auto differences = ResultDifferences(settings, SettingsOf(Replay(settings, picture).Value(), "photo.jpg", ""));
        ASSERT_GE(differences.size(), 2u) << c.reason;
        EXPECT_EQ(differences.front().rfind("screen.tim: SHA-256 ", 0), 0u) << differences.front();
        EXPECT_EQ(differences.back().rfind(c.reason, 0), 0u) << differences.back();
    }
}

TEST(ResultSettings, AFileItCannotUseIsRefusedSayingWhy) {
    ResultSettings refined = SettingsOf(Session(), "a.jpg", "");
    refined.refinements = {{2.5, true, {}}, {2000, false, {}}};
    const std::string good = SettingsJson(refined);
    ASSERT_TRUE(ParseSettingsJson(good));
    auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    auto repeated = [](const std::string& item, std::size_t times) {
        std::string list;
        for (std::size_t i = 0; i < times; ++i) list += (i ? ", " : "") + item;
        return list;
    };
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"", "parse error"},
        {"[1, 2]", "not a Vorbix settings file"},
        {with("\"vorbix-settings\"", "\"other\""), "not a Vorbix settings file"},
        // Every field by its exact type and range, named in the message.
        {with("\"version\": 2", "\"version\": 4"), "newer Vorbix (version 4)"},
        {with("\"version\": 2", "\"version\": 4294967299"), "newer Vorbix (version 4294967299)"},
        {with("\"version\": 2", "\"version\": 18446744073709551615"), "newer Vorbix (version 18446744073709551615)"},
        {with("\"version\": 2", "\"version\": 0"), "\"version\" must be a whole number 1..3, not 0"},
        {with("\"version\": 2", "\"version\": -1"), "\"version\" must be a whole number 1..3, not -1"},
        {with("\"version\": 2", "\"version\": 2.9"), "\"version\" must be a whole number 1..3, not 2.9"},
        {with("\"version\": 2", "\"version\": 1e308"), "\"version\" must be a whole number 1..3"},
        {with("\"version\": 2", "\"version\": \"2\""), "\"version\" must be a whole number 1..3"},
        {with("\"mode\": 16", "\"mode\": 8"), "\"mode\" must be 2, 4 or 16"},
        {with("\"mode\": 16", "\"mode\": 4294967312"), "\"mode\" must be a whole number 2..16, not 4294967312"},
        {with("\"Pattern TVC\"", "\"Sharpest\""), "\"method\" \"Sharpest\" is not a method"},
        {with("\"#000000\"", "\"black\""), "\"swatches2\" holds \"black\", not a colour #RRGGBB"},
        {with("\"#000000\"", "\"#+FFFFF\""), "\"swatches2\" holds \"#+FFFFF\""},
        {with("\"#000000\"", "\"#-12345\""), "\"swatches2\" holds \"#-12345\""},
        {with("\"#000000\"", "\"# FFFFF\""), "\"swatches2\" holds \"# FFFFF\""},
        {with("\"#000000\"", "16777215"), "\"swatches2\" holds 16777215"},
        {with("\"off\": []", "\"off\": [120]"), "\"off\" must be a whole number 0..119, not 120"},
        {with("\"off\": []", "\"off\": [4294967296]"), "\"off\" must be a whole number 0..119"},
        {with("\"source_steps\": []", "\"source_steps\": [{\"step\": \"slider\", \"slider\": \"Gamma\", \"value\": 101}]"),
         "\"value\" must be a whole number 0..100, not 101"},
        {with("\"source_steps\": []", "\"source_steps\": [{\"step\": \"slider\", \"slider\": \"Gamma\", \"value\": 4294967346}]"),
         "\"value\" must be a whole number 0..100, not 4294967346"},
        {with("\"source_steps\": []", "\"source_steps\": [{\"step\": \"Undo\"}]"), "\"step\" \"Undo\" is not a step"},
        {with("\"source_steps\": []", "\"source_steps\": {}"), "\"source_steps\" must be a list"},
        {with("\"source_steps\": []", "\"source_steps\": null"), "\"source_steps\" must be a list"},
        {with("\"source_steps\": []", "\"source_steps\": [7]"), "\"source_steps\" must be a list of steps"},
        {with("\"name\": \"a.jpg\"", "\"name\": \"../x/y.bmp\""), "\"name\" must be a file name without its folder"},
        {with("\"name\": \"a.jpg\"", "\"name\": \"/etc/passwd\""), "\"name\" must be a file name without its folder"},
        {with("\"name\": \"a.jpg\"", "\"name\": \"..\""), "\"name\" must be a file name without its folder"},
        {with("\"name\": \"a.jpg\"", "\"name\": \"\""), "\"name\" must be a file name without its folder"},
        {with("\"random_drawn\": 0", "\"random_drawn\": -1"), "\"random_drawn\" must be a whole number"},
        {with("\"random_drawn\": 0", "\"random_drawn\": 1.5"), "\"random_drawn\" must be a whole number"},
        {with("\"mode\": 16", "\"decoded\": {\"width\": 0, \"height\": 3}, \"mode\": 16"), "\"width\" must be a whole number"},
        {with("\"resize\": true", "\"resize\": \"yes\""), "\"resize\" must be true or false"},
        {with("\"mode\": 16,", ""), "\"mode\" is missing"},
        // What a replay may be asked to do: about what a person makes, each refinement's set-up counted.
        {with("\"source_steps\": []", "\"source_steps\": [" + repeated("{\"step\": \"Set\"}", 2001) + "]"),
         "\"source_steps\" holds 2001 steps; a replay makes at most 2000"},
        {with("\"refine\": [", "\"refine\": [" + repeated("{\"seconds\": 0.001, \"converged\": true}", 99) + ","),
         "\"refine\" holds 101 refinements; a replay runs at most 100"},
        {with("\"resize\": true", "\"keep_shape\": \"crop\", \"resize\": true"), "\"keep_shape\" must be"},
        {with("\"refine\": [", "\"refine\": 5, \"was\": ["), "\"refine\" must be a list"},
        {with("\"seconds\": 2.5", "\"seconds\": -1"), "\"seconds\" of a refinement must be more than 0, not -1"},
        {with("\"seconds\": 2.5", "\"seconds\": 0"), "\"seconds\" of a refinement must be more than 0, not 0"},
        {with("\"seconds\": 2.5", "\"seconds\": NaN"), "parse error"},
        {with("\"seconds\": 2.5", "\"seconds\": \"2.5\""), "\"seconds\" must be a number"},
        {with("\"seconds\": 2.5", "\"seconds\": true"), "\"seconds\" must be a number"},
        {with("\"seconds\": 2.5", "\"seconds\": 1e300"), "a replay refines for at most 3600 s"},
        // Each within the limit, together past it once the set-up of each is counted.
        {with("\"seconds\": 2.5", "\"seconds\": 1597"), "\"refine\" asks for 3601 s"},
        {with("\"converged\": true", "\"converged\": 1"), "\"converged\" must be true or false, not 1"},
        {with("\"converged\": true", "\"finished\": true"), "\"converged\" is missing"},
        {with("\"converged\": true", "\"converged\": true, \"start_swatches\": [\"#000000\"]"),
         "\"start_swatches\" names swatches, which Graphics 16 has not"},
    };
    for (const auto& c : cases) {
        const Result<ResultSettings> read = ParseSettingsJson(c.text);
        ASSERT_FALSE(read) << c.reason;
        EXPECT_NE(read.Failure().text.find(c.reason), std::string::npos) << read.Failure().text;
    }
}

}  // namespace
}  // namespace vorbix
