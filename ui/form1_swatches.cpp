#include "pipeline/best_colours.h"
#include "ui/candidate_strip.h"
#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

namespace {

QString Hex(ColourValue c) { return QString::fromStdString(HexText(c)); }

// A column of swatches 16 pixels apart, each clicked through its own index.
template <std::size_t N>
void AddSwatches(std::array<Swatch*, N>& swatches, QWidget* frame, const QString& group, int left, int top,
                 const QString& tip, const std::function<void(int)>& click) {
    for (std::size_t i = 0; i < N; ++i) {
        const int index = static_cast<int>(i);
        swatches[i] = Place(new Swatch(frame, false), QString("%1_%2").arg(group).arg(index),
                            QRect(left, top + 16 * index, 57, 17));
        swatches[i]->setToolTip(tip);
        swatches[i]->SetOnClick([click, index] { click(index); });
    }
}

}  // namespace

void Form1::BuildSwatches() {
    auto* frame3 = Place(new QGroupBox("Color Palette", client_), "Frame3", QRect(1048, 8, 145, 289));
    AddSwatches(label1_, frame3, "Label1", 8, 16, "Pick this colour for the 4- and 2-colour swatches",
                [this](int i) { Label1_Click(i); });
    frame4_ = Place(new QGroupBox(frame3), "Frame4", QRect(80, 32, 57, 81));
    AddSwatches(label2_, frame4_, "Label2", 0, 8, "Give this Graphics 4 swatch the picked colour",
                [this](int i) { Label2_Click(i); });
    frame5_ = Place(new QGroupBox(frame3), "Frame5", QRect(80, 152, 57, 49));
    AddSwatches(label3_, frame5_, "Label3", 0, 8, "Give this Graphics 2 swatch the picked colour",
                [this](int i) { Label3_Click(i); });
    const QString bestTip = "Choose the TVC colours that make the picture look most like the source with this method "
                            "(the lowest likeness); one undo step";
    bestColours4_ = AddButton(frame3, "BestColours4", QRect(80, 116, 57, 32), "Best\ncolours", bestTip,
                              [this] { BestColours_Click(TvcMode::Graphics4); });
    bestColours2_ = AddButton(frame3, "BestColours2", QRect(80, 204, 57, 32), "Best\ncolours", bestTip,
                              [this] { BestColours_Click(TvcMode::Graphics2); });
    label4_ = Place(new Swatch(frame3, false), "Label4", QRect(80, 256, 57, 17));
    label4_->setToolTip("The picked colour");
    candidateStrip_ = Place(new CandidateStrip(client_, [this](const std::vector<ColourValue>& swatches) {
                                TakeSwatches(session_.Mode(), swatches);
                            }),
                            "CandidateStrip", QRect(1200, 8, 145, 272));
}

void Form1::Label1_Click(int index) {
    SettledSession().PickColour(index);
    ShowSwatches();
    SetStatus("Picked " + Hex(session_.PickedColour()));
}

void Form1::Label2_Click(int index) {
    history_.Run(SettledSession(), EditKind::Swatch, [&] { session_.SetSwatch(TvcMode::Graphics4, index); });
    ShowState();
    ShowConversion(QString("Graphics 4 swatch %1 is %2").arg(index).arg(Hex(session_.Settings().swatches4[index])));
}

void Form1::Label3_Click(int index) {
    history_.Run(SettledSession(), EditKind::Swatch, [&] { session_.SetSwatch(TvcMode::Graphics2, index); });
    ShowState();
    ShowConversion(QString("Graphics 2 swatch %1 is %2").arg(index).arg(Hex(session_.Settings().swatches2[index])));
}

void Form1::BestColours_Click(TvcMode mode) {
    if (session_.Mode() != mode || picturePath_.isEmpty()) return;
    std::vector<SwatchCandidate> candidates = BestSwatchCandidates(SettledSession(), mode);
    const std::vector<ColourValue> best = candidates.front().swatches;
    candidateStrip_->Show(std::move(candidates), session_, mode);
    TakeSwatches(mode, best);
}

void Form1::TakeSwatches(TvcMode mode, const std::vector<ColourValue>& swatches) {
    history_.Run(SettledSession(), EditKind::Swatch, [&] { session_.ChooseSwatches(mode, swatches); });
    ShowState();
    QStringList names;
    for (ColourValue c : swatches) names.append(Hex(c));
    ShowConversion(QString("Best colours %1").arg(names.join(" ")));
}

void Form1::ShowSwatches() {
    static const Palette kTvcColours = TvcColours();
    for (int i = 0; i < 16; ++i) label1_[i]->SetColour(ColourOfEntry(kTvcColours[i]));
    for (int i = 0; i < 4; ++i) label2_[i]->SetColour(session_.Settings().swatches4[i]);
    for (int i = 0; i < 2; ++i) label3_[i]->SetColour(session_.Settings().swatches2[i]);
    label4_->SetColour(session_.PickedColour());
    // Each mode's swatches can be clicked only while that mode is chosen.
    frame4_->setEnabled(session_.Mode() == TvcMode::Graphics4);
    frame5_->setEnabled(session_.Mode() == TvcMode::Graphics2);
    // Before a picture there is nothing to choose colours for.
    const bool picture = !picturePath_.isEmpty();
    bestColours4_->setEnabled(picture && session_.Mode() == TvcMode::Graphics4);
    bestColours2_->setEnabled(picture && session_.Mode() == TvcMode::Graphics2);
    candidateStrip_->Follow(session_);
}

}  // namespace vorbix
