#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMenuBar>
#include <QMessageBox>

#include "ui/form1.h"
#include "ui/zoomed_previews.h"

namespace vorbix {

namespace {

struct MenuEntry {
    const char* name;  // the action's object name; empty for a separator
    const char* caption;
    QKeySequence keys;
    std::function<void()> run;
};

const char* const kShortcuts =
    "<table cellspacing='4'>"
    "<tr><td>Ctrl+O</td><td>Open folder…</td></tr>"
    "<tr><td>Ctrl+S, Ctrl+Shift+S</td><td>Save, Save As…</td></tr>"
    "<tr><td>Ctrl+Z, Ctrl+Shift+Z</td><td>Undo, Redo (from any control or window)</td></tr>"
    "<tr><td>Ctrl+R</td><td>Refine the result, or stop refining</td></tr>"
    "<tr><td>Ctrl+C</td><td>Copy the preview</td></tr>"
    "<tr><td>Ctrl+T</td><td>Show the pattern chart</td></tr>"
    "<tr><td>Ctrl+M</td><td>Compare methods</td></tr>"
    "<tr><td>Ctrl+2, Ctrl+1</td><td>Both previews at 2× in a window of their own, or only at 1×</td></tr>"
    "<tr><td>Ctrl+wheel, drag</td><td>Zoom both previews in whole steps, and move about in them</td></tr>"
    "<tr><td>Ctrl+Q</td><td>Quit</td></tr>"
    "<tr><td>Tab, Shift+Tab</td><td>Every control in the order it is seen</td></tr>"
    "<tr><td>Arrow keys, Page Up/Down</td><td>Move a slider; go between swatches and chart mixes</td></tr>"
    "<tr><td>Space, Enter</td><td>Click a swatch; switch a chart mix off or on</td></tr>"
    "<tr><td>Menu key, Shift+F10</td><td>Swap the colours of a chart mix (its right click)</td></tr>"
    "<tr><td>Escape</td><td>Take back a number typed beside a slider</td></tr>"
    "</table>";

}  // namespace

void Form1::BuildMenus() {
    const auto about = [this] {
        QMessageBox::about(this, "About Vorbix",
                           QString("<b>Vorbix %1</b><p>Converts photos into screen files and programs for the TVC."
                                   "<p>Copyright © 2026 the Vorbix authors. %2: free to use, copy, change and share, with"
                                   " this notice kept."
                                   "<p>Uses Qt %3 (LGPL 3).")
                               .arg(VORBIX_VERSION, VORBIX_LICENCE, qVersion()));
    };
    const auto shortcuts = [this] { QMessageBox::information(this, "Keyboard shortcuts", kShortcuts); };
    const std::pair<const char*, std::vector<MenuEntry>> menus[] = {
        {"&File",
         {{"OpenFolder", "Open folder…", QKeySequence::Open, [this] { ChooseFolder(); }},
          {"OpenScreen", "Open screen file…", {}, [this] { OpenScreenFile_Click(); }},
          {"", "", {}, {}},
          {"Save", "Save", QKeySequence::Save, [this] { Command3_Click(); }},
          {"SaveAs", "Save As…", QKeySequence("Ctrl+Shift+S"), [this] { Command7_Click(); }},
          {"SaveProgramMenu", "Save TVC program…", {}, [this] { SaveProgram_Click(); }},
          {"", "", {}, {}},
          {"SaveSettings", "Save settings…", {}, [this] { SaveSettings_Click(); }},
          {"LoadSettings", "Load settings…", {}, [this] { LoadSettings_Click(); }},
          {"", "", {}, {}}}},
        {"&Edit",
         {{"Undo", "Undo", QKeySequence("Ctrl+Z"), [this] { Undo(); }},
          {"Redo", "Redo", QKeySequence("Ctrl+Shift+Z"), [this] { Redo(); }},
          {"", "", {}, {}},
          {"RefineMenu", "Refine", QKeySequence("Ctrl+R"), [this] { Refine_Click(); }},
          {"CopyPicture", "Copy picture", QKeySequence::Copy, [this] { CopyPicture(); }}}},
        {"&View",
         {{"PatternChart", "Pattern chart", QKeySequence("Ctrl+T"), [this] { ShowChart(); }},
          {"CompareMethodsMenu", "Compare methods", QKeySequence("Ctrl+M"), [this] { CompareMethods_Click(); }},
          {"", "", {}, {}},
          {"PreviewsAt1", "Previews at 1×", QKeySequence("Ctrl+1"), [this] { ShowZoomedPreviews(false); }},
          {"PreviewsAt2", "Previews at 2×", QKeySequence("Ctrl+2"), [this] { ShowZoomedPreviews(true); }}}},
        {"&Help",
         {{"Shortcuts", "Keyboard shortcuts", QKeySequence::HelpContents, shortcuts},
          {"About", "About Vorbix", {}, about}}},
    };
    for (const auto& [title, entries] : menus) {
        QMenu* menu = menuBar()->addMenu(title);
        for (const MenuEntry& entry : entries) {
            if (!*entry.name) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(entry.caption);
            action->setObjectName(entry.name);
            action->setShortcut(entry.keys);
            // The program's keys work from each of its windows.
            action->setShortcutContext(Qt::ApplicationShortcut);
            connect(action, &QAction::triggered, this, entry.run);
        }
        if (menu->title() == "&File") {
            recentMenu_ = menu->addMenu("Recent folders");
            connect(recentMenu_, &QMenu::aboutToShow, this, [this] {
                recentMenu_->clear();
                for (const QString& folder : recentFolders_)
                    recentMenu_->addAction(QDir::toNativeSeparators(folder), this, [this, folder] { ShowFolder(folder); });
            });
            menu->addSeparator();
            QAction* quit = menu->addAction("Quit", QKeySequence("Ctrl+Q"), this, [this] { close(); });
            quit->setObjectName("Quit");
            quit->setShortcutContext(Qt::ApplicationShortcut);
        }
    }
}

void Form1::ShowZoomedPreviews(bool shown) {
    if (!shown) {
        if (zoomed_) zoomed_->hide();
        return;
    }
    if (!zoomed_) zoomed_ = new ZoomedPreviews(this);
    zoomed_->Show(&session_.SourceView(), &session_.Preview());
    zoomed_->show();
    zoomed_->raise();
}

void Form1::CopyPicture() {
    const Picture& preview = session_.Preview();
    const QImage image(preview.Data(), preview.Width(), preview.Height(), preview.Width() * 3, QImage::Format_BGR888);
    QApplication::clipboard()->setImage(image.copy());
    SetStatus("The preview is on the clipboard");
}

}  // namespace vorbix
