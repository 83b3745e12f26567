#include <gtest/gtest.h>

#include "draw/pattern_chart.h"
#include "pipeline/edit_history.h"
#include "next_noisy_preview.h"

namespace vorbix {
namespace {

Picture Photo() {
    Picture photo(180, 140);
    for (int y = 0; y < 140; ++y)
        for (int x = 0; x < 180; ++x) photo.SetPixel(x, y, MakeColour(x * 255 / 180, (x * y) % 256, y * 255 / 140));
    return photo;
}

// Whatever the edits change, and what the conversion makes of it.
void ExpectSameState(const Session& a, const Session& b) {
    EXPECT_EQ(a.TakeSnapshot(true, true), b.TakeSnapshot(true, true));
    EXPECT_EQ(a.Settings(), b.Settings());
    EXPECT_EQ(a.Mixes(), b.Mixes());
    EXPECT_EQ(NextNoisyPreview(a), NextNoisyPreview(b));
    EXPECT_EQ(a.Preview(), b.Preview());
    EXPECT_EQ(a.Surface(a.Mode()), b.Surface(b.Mode()));
    EXPECT_EQ(a.ResultColours(), b.ResultColours());
}

// A click on the pattern chart: left switches the mix in the box, right swaps it; beside the
// boxes nothing happens.
void ChartClick(Session& s, int button, double x, double y) {
    if (const std::optional<int> k = MixAt(x, y)) button == 1 ? s.ToggleMix(*k) : s.SwapMix(*k);
}

// A right click on the preview where the inspector points: the mix on and its colours swapped.
void PreviewRightClick(Session& s, int x, int y) { s.SwitchMix(s.MixFor(s.SourceView().Pixel(x, y)), true, true); }

struct EditCase {
    const char* name;
    EditKind kind;
    std::function<void(Session&)> setUp;
    std::function<void(Session&)> edit;
};

const EditCase kEdits[] = {
    {"4-colour swatch", EditKind::Swatch, [](Session& s) { s.ChooseMode(TvcMode::Graphics4); s.PickColour(12); },
     [](Session& s) { s.SetSwatch(TvcMode::Graphics4, 3); }},
    {"2-colour swatch", EditKind::Swatch,
     [](Session& s) { s.ChooseMode(TvcMode::Graphics2); s.ChooseMethod(2); s.PickColour(9); },
     [](Session& s) { s.SetSwatch(TvcMode::Graphics2, 0); }},
    {"chart switch", EditKind::Mixes, [](Session&) {}, [](Session& s) { ChartClick(s, 1, 484, 15); }},
    {"chart swap", EditKind::Mixes, [](Session&) {}, [](Session& s) { ChartClick(s, 2, 544, 35); }},
    {"click on the preview", EditKind::Mixes, [](Session&) {}, [](Session& s) { PreviewRightClick(s, 250, 240); }},
    {"All Off", EditKind::Mixes, [](Session&) {}, [](Session& s) { s.SwitchAllMixes(false); }},
    {"All On", EditKind::Mixes, [](Session& s) { ChartClick(s, 2, 504, 15); s.SwitchAllMixes(false); },
     [](Session& s) { s.SwitchAllMixes(true); }},
    {"Commit", EditKind::Commit, [](Session& s) { s.MoveSlider(Slider::Brightness, 80); }, [](Session& s) { s.Commit(); }},
    {"snap to mixes", EditKind::SnapToMixes, [](Session& s) { s.ChooseMode(TvcMode::Graphics4); },
     [](Session& s) { s.SnapSourceToMixes(); }},
};

TEST(EditHistory, UndoAfterEachKindOfEditRestoresTheStateAndConvertsAndRedoBringsTheEditBack) {
    for (const EditCase& c : kEdits) {
        SCOPED_TRACE(c.name);
        Session s;
        s.Load(Photo());
        c.setUp(s);
        Session expected = s;
        EditHistory history;
        history.Run(s, c.kind, [&] { c.edit(s); });
        ASSERT_TRUE(history.CanUndo());
        ASSERT_NE(s.TakeSnapshot(true, true), expected.TakeSnapshot(true, true));
        const Session edited = s;

        const long conversions = s.ConversionCount();
        ASSERT_TRUE(history.Undo(s));
        EXPECT_EQ(s.ConversionCount(), conversions + 1);
        expected.Reconvert();
        ExpectSameState(s, expected);
        EXPECT_FALSE(history.CanUndo());

        ASSERT_TRUE(history.Redo(s));
        ExpectSameState(s, edited);
        EXPECT_FALSE(history.CanRedo());
    }
}

TEST(EditHistory, StepsBackThroughSeveralEditsInTurn) {
    Session s;
    s.Load(Photo());
    s.ChooseMode(TvcMode::Graphics4);
    EditHistory history;
    std::vector<Session::Snapshot> states{s.TakeSnapshot(true, true)};
    for (int picked : {9, 12, 14}) {
        s.PickColour(picked);
        history.Run(s, EditKind::Swatch, [&] { s.SetSwatch(TvcMode::Graphics4, picked % 4); });
        history.Run(s, EditKind::Mixes, [&] { ChartClick(s, 1, 484 + 20 * picked, 15); });
        states.push_back(s.TakeSnapshot(true, true));
    }
    history.Run(s, EditKind::SnapToMixes, [&] { s.SnapSourceToMixes(); });
    ASSERT_TRUE(history.Undo(s));
    for (int step = 3; step > 0; --step) {
        EXPECT_EQ(s.TakeSnapshot(true, true), states[step]) << step;
        ASSERT_TRUE(history.Undo(s));
        ASSERT_TRUE(history.Undo(s));
    }
    EXPECT_EQ(s.TakeSnapshot(true, true), states[0]);
    EXPECT_FALSE(history.Undo(s));
}

TEST(EditHistory, RemembersOnlyChangesAndANewEditForgetsWhatWasUndone) {
    Session s;
    s.Load(Photo());
    s.ChooseMode(TvcMode::Graphics4);
    EditHistory history;
    EXPECT_FALSE(history.Undo(s));
    EXPECT_FALSE(history.Redo(s));

    s.PickColour(15);
    history.Run(s, EditKind::Swatch, [&] { s.SetSwatch(TvcMode::Graphics4, 1); });  // white already
    history.Run(s, EditKind::Mixes, [&] { ChartClick(s, 1, 470, 15); });  // beside the boxes
    EXPECT_FALSE(history.CanUndo());

    s.PickColour(2);
    history.Run(s, EditKind::Swatch, [&] { s.SetSwatch(TvcMode::Graphics4, 0); });
    ASSERT_TRUE(history.Undo(s));
    EXPECT_TRUE(history.CanRedo());
    history.Run(s, EditKind::Swatch, [&] { s.SetSwatch(TvcMode::Graphics4, 3); });
    EXPECT_FALSE(history.CanRedo());
    EXPECT_TRUE(history.CanUndo());
    history.Clear();
    EXPECT_FALSE(history.CanUndo());
}

}  // namespace
}  // namespace vorbix
