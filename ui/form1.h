#pragma once

// The Qt windows: the main window, the pattern chart window, the method sheet and their small
// widgets. Handlers keep the controls' names and forward to the document's verbs; they may use
// every folder below and Qt Widgets.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "dither/methods.h"
#include "draw/magnifier.h"
#include "pipeline/edit_history.h"
#include "pipeline/result_settings.h"
#include "pipeline/session.h"
#include "ui/background_task.h"
#include "ui/dialogs.h"
#include "ui/file_list.h"
#include "ui/form2.h"
#include "ui/growing_client.h"
#include "ui/picture_view.h"
#include "ui/status_line.h"
#include "ui/swatch.h"

namespace vorbix {

class CandidateStrip;
class MethodSheetWindow;
class ZoomedPreviews;

// The main window "Vorbix 1.02". The controls and their handlers keep the names the program has
// always had (Command1_Click, Option2_Click(Index), Pic2_MouseMove); each handler forwards to a
// verb of the one document and then shows its state. The window holds no picture logic beyond
// the inspector's view of the pointer. The controls sit at their places in the client area below
// the menu bar, which grows with the window. Handlers live in files by concern, each named form1_ and what it
// handles; form1.cpp holds the window, mode and method, and the commands.
class Form1 : public QMainWindow {
public:
    // folder: what the file list shows; empty: the folder remembered from the last run, or the
    // current folder.
    Form1(const QString& folder, Form1Dialogs dialogs = StandardDialogs());

    const Session& GetSession() const { return session_; }
    Form2* ChartWindow() const { return form2_; }
    // The inspector: the magnifiers (PicZ, PicZZ), the colour under the pointer (Shape1), its
    // nearest mix (Label9) and that mix's cells (Shape2..Shape5: top left, top right, bottom
    // left, bottom right); outside "Pattern TVC" the nearest palette colour's index and four
    // cells of that colour.
    const Picture& MagnifiedSource() const { return magnifiedSource_; }
    const Picture& MagnifiedResult() const { return magnifiedResult_; }
    int InspectedMix() const { return inspectedMix_; }
    const std::array<ColourValue, 4>& InspectedMixCells() const { return inspectedMixCells_; }
    QString ListFolder() const { return listFolder_; }
    // Where "Save" writes: the program's own folder unless a test says otherwise.
    void SetProgramFolder(const QString& folder) {
        programFolder_ = folder;
        ShowSaveTarget();
    }
    // The time Refine may take; a test on a slow machine gives it longer so that it converges.
    void SetRefineSeconds(double seconds) { refineSeconds_ = seconds; }

    // --- window, mode, method, commands
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Command1_Click();
    void Command2_Click();
    void Command6_Click();  // "Set"
    // The shape "Resize" keeps; the picture shown is loaded again in it.
    void KeepShape_Change(KeepShape shape);
    // --- file list
    void Command5_Click();  // "refresh"
    void File2_Click();
    void LoadPicture(const QString& path);
    void ShowFolder(const QString& folder);
    void ChooseFolder();
    // The folder the list showed before "Save" moved it to where the files went; empty when none.
    void BackToFolder_Click();
    QStringList RecentFolders() const { return recentFolders_; }
    // --- sliders
    // The move is converted in the background and shown when done, the newest move winning; the
    // slider and its box show it at once.
    void HScroll_Change(int slider, int value);
    // A slider's move is still being converted.
    bool SliderMoving() const { return !sliderMoves_.empty(); }
    // --- swatches
    void Label1_Click(int index);
    void Label2_Click(int index);
    void Label3_Click(int index);
    // "Best colours" beside the 4- and 2-colour swatches, each available in its mode: takes the
    // best set and shows the sets offered beside the swatches, where a click takes another.
    void BestColours_Click(TvcMode mode);
    CandidateStrip* Candidates() const { return candidateStrip_; }
    // --- inspector
    void Pic2_MouseMove(QPointF position);
    void Pic2_MouseDown(Qt::MouseButton button);
    // --- saving
    void Command3_Click();  // "Save"
    void Command7_Click();  // "Save As"
    void SaveProgram_Click();  // "Save TVC program"

    // --- beyond the converter: method sheet, screen files as the machine shows them, undo
    void CompareMethods_Click();  // "Compare methods"
    MethodSheetWindow* SheetWindow() const { return sheet_; }
    void OpenScreenFile_Click();  // "Open screen file"
    // Shows a ".tim" file in the preview as the TVC shows it, until the next conversion.
    void OpenScreenFile(const QString& path);
    // "Refine": improves the result by direct binary search on a thread of its own, with its
    // progress beside the button, which reads "Cancel" meanwhile; the refinement replaces the
    // result as one undo step. A conversion before it ends cancels it.
    void Refine_Click();
    // A refinement or a settings file's replay is running; "Refine" reads "Cancel".
    bool Busy() const { return task_ != nullptr; }
    void Undo();  // Ctrl+Z
    void Redo();  // Ctrl+Shift+Z

    // --- menus: the chart window brought back, the preview copied, settings files
    void ShowChart();
    void CopyPicture();
    // View: the previews at 2× in a window of their own, or that window hidden (1×).
    void ShowZoomedPreviews(bool shown);
    void SaveSettings_Click();
    void LoadSettings_Click();
    // Applies a settings file: loads its picture (from the file's folder, else the list's) and
    // replays its inputs in the background (with progress and a cancel, and cancelled by a
    // conversion before it ends). Reports what went wrong and leaves the document as it was on
    // failure or cancel.
    void LoadSettingsFile(const QString& path);

    // The controls' names in the order Tab visits them: column by column, each top to bottom,
    // as they are seen.
    static QStringList TabOrder();

    // Every control from the session, the chart window included.
    void ShowState();

    // Shown, the main window brings the chart window with it the first time.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildViews();
    void BuildModeAndMethod();
    void BuildCommands();
    void BuildFileList();
    void BuildSliders();
    void BuildSwatches();
    void BuildInspector();
    void BuildSave();
    void BuildCompare();
    void BuildScreenFile();
    void BuildUndo();
    void BuildRefine();
    void RefineFinished(const RefineStart& start, const Refinement& refined);
    // Runs work on a thread of its own with its progress beside "Refine", which reads "Cancel"
    // meanwhile, then finished(cancelled) on this thread. One task at a time: a new one cancels
    // the running one, whose end is then not reported. With a conversion, a conversion before the
    // work ends cancels it.
    void RunInBackground(const QString& status, std::optional<long> conversion, BackgroundTask::Work work,
                         std::function<void(bool cancelled)> finished);
    // The picture file read and the settings replayed on it in the background, then
    // replayed(session or why not, the picture file's SHA-256), or cancelledStatus shown if
    // cancelled; the document is not touched meanwhile.
    using Replayed = std::function<void(Result<Session>& replayed, const std::string& pictureSha)>;
    void ReplaySettings(const QString& status, const QString& cancelledStatus, std::optional<long> conversion,
                        const ResultSettings& settings, const QString& picturePath, Replayed replayed);
    void BuildMenus();
    void BuildBackToFolder();
    void SetTabOrder();
    // QSettings: the folder and recent folders, window places, mode, method, swatches.
    void RestoreRemembered();
    void Remember() const;
    void PlaceChart();
    void AddRecentFolder(const QString& folder);
    // The list shows the folder; ShowFolder, opened by the user, also makes it a recent folder.
    void ListFolder(const QString& folder);
    // The picture shown is the one in this file: the title, the list's folder and highlight.
    void ShowPictureFile(const QString& path);
    // The list highlights the picture shown, or nothing when it is not in the list's folder.
    void HighlightShownPicture();

    // The document with a slider's move still in the background made first, on this thread:
    // every edit, save and record starts from what the user last asked for.
    Session& SettledSession();
    void ShowModeAndMethod();
    void ShowCounts();
    // The likeness score waits until the events in hand are done, so that a dragged slider
    // converts at full speed, and is worked out in the background; the newest shows.
    void ScheduleLikeness();
    void ShowLikeness();
    void ShowSliders();
    void ShowSwatches();
    // The swatches of the mode take these colours, as one undo step.
    void TakeSwatches(TvcMode mode, const std::vector<ColourValue>& swatches);
    // The magnifiers and readouts taken again at the pointer's last place on the preview.
    void Inspect();
    void ShowInspector();
    void ShowTitle();
    void ShowSaveTarget();
    // Where "Save" writes: the program's folder, or the list's when that cannot be written.
    QString SaveFolder() const;
    // Saves out24.bmp and the screen files in the folder and shows them there.
    Status SaveInFolder(const QString& folder);
    void ShowConversion(const QString& action);
    // The message, then the path it is about, which gives way in its middle where room is short.
    void SetStatus(const QString& text, const QString& path = {});
    void ReportError(const QString& message);
    void ReportSaveError(const Error& error);
    void SaveFinished(const QString& folder, const QString& bmpName);
    // Reads the saved screen file back and says where the machine shows other colours.
    void CheckSavedScreen(const QString& timPath);

    Session session_;
    Form1Dialogs dialogs_;
    GrowingClient* client_ = nullptr;  // the client area below the menu bar
    QString listFolder_;
    QString programFolder_;
    // Long enough for the search to finish on every picture measured (bench/README.md); it stops
    // sooner when no change helps any more.
    double refineSeconds_ = 10;
    QString folderBeforeSave_;
    QString chosenSaveFolder_;  // asked for when the program's folder could not be written
    QString lastSaveFolder_;    // where "Save As" starts
    QStringList recentFolders_;
    QString pictureName_;
    QString picturePath_;  // the picture shown, as loaded; empty before the first load
    Form2* form2_ = nullptr;
    bool chartPlaced_ = false;
    EditHistory history_;
    std::unique_ptr<BackgroundTask> task_;
    long taskNumber_ = 0;                  // tells a running task's end from an earlier one's
    std::optional<long> taskConversion_;  // the conversion whose change cancels the running task
    MethodSheetWindow* sheet_ = nullptr;
    ZoomedPreviews* zoomed_ = nullptr;  // "Previews at 2×", made when first asked for
    Picture magnifiedSource_{kMagnifierSize, kMagnifierSize, MakeColour(255, 255, 255)};
    Picture magnifiedResult_{kMagnifierSize, kMagnifierSize, MakeColour(255, 255, 255)};
    std::optional<QPointF> pointer_;  // on the preview; none before the pointer first comes
    ColourValue inspectedColour_ = 0;
    int inspectedMix_ = 0;
    std::array<ColourValue, 4> inspectedMixCells_{};

    PictureView* pic5_ = nullptr;
    PictureView* pic2_ = nullptr;
    PictureView* picZ_ = nullptr;
    PictureView* picZZ_ = nullptr;
    FileList* file2_ = nullptr;
    QPushButton* backToFolder_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* refine_ = nullptr;
    QProgressBar* refineProgress_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QLabel* label6_ = nullptr;
    QLabel* label7_ = nullptr;
    QLabel* label9_ = nullptr;
    QLabel* inspectorText_ = nullptr;  // the mix's colours, or the palette colour
    QLabel* label10_ = nullptr;
    QLabel* likeness_ = nullptr;
    QTimer likenessTimer_;
    NewestRequest likenessRequest_{this};
    StatusLine* status_ = nullptr;
    struct SliderMove {
        int slider;
        int value;
    };
    std::vector<SliderMove> sliderMoves_;  // asked for, in order, not yet shown
    NewestRequest sliderRequest_{this};
    std::array<QScrollBar*, kSliderCount> sliders_{};
    std::array<QLineEdit*, kSliderCount> sliderTexts_{};
    std::array<Swatch*, 16> label1_{};
    std::array<Swatch*, 4> label2_{};
    std::array<Swatch*, 2> label3_{};
    Swatch* label4_ = nullptr;
    QPushButton* bestColours4_ = nullptr;
    QPushButton* bestColours2_ = nullptr;
    CandidateStrip* candidateStrip_ = nullptr;
    QGroupBox* frame4_ = nullptr;
    QGroupBox* frame5_ = nullptr;
    std::array<QRadioButton*, 3> option2_{};
    std::array<QRadioButton*, kAllMethodCount + 1> option1_{};  // 1..kAllMethodCount
    // One choice among the method buttons of both frames.
    QButtonGroup* methodButtons_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QComboBox* keepShape_ = nullptr;
    Swatch* shape1_ = nullptr;
    std::array<Swatch*, 4> mixCells_{};  // Shape2..Shape5
};

}  // namespace vorbix
