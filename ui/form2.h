#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/picture.h"
#include "pipeline/session.h"
#include "ui/picture_view.h"

namespace vorbix {

// "TVC Pattern": the chart of the 120 two-colour mixes, with their switches and swaps.
// Every edit goes to the session, which converts; afterEdit then shows the new state and says
// what was done. From the keyboard the arrow keys choose a mix, Space acts as a left click on it
// and the menu key (or Shift+F10) as a right click.
class Form2 : public QWidget {
public:
    Form2(QWidget* owner, Session& session, std::function<void(const QString& action)> afterEdit);

    void Command6_Click();  // "All On"
    void Command7_Click();  // "All Off"
    void Command9_Click();  // "SetT Pattern"
    void Pic9_MouseDown(Qt::MouseButton button, QPointF position);
    void Pic9_KeyDown(QKeyEvent* event);
    int KeyboardMix() const { return keyboardMix_; }

    void ShowState();
    // Runs each edit of the mixes; the owner may wrap it (to finish its own work on the document
    // first, and to remember the edit for undo).
    std::function<void(const std::function<void()>& edit)> runEdit = [](const std::function<void()>& edit) { edit(); };
    const Picture& Chart() const { return chart_; }

    // Where the last click that hit a mix box was, and the mix.
    struct ChartHit {
        int x;
        int y;
        int mix;
    };

private:
    Session& session_;
    void ShowKeyboardMix();

    std::function<void(const QString& action)> afterEdit_;
    int keyboardMix_ = 0;
    Picture chart_;
    PictureView* pic9_;
    QLabel* mixesOn_;
    QLabel* lastHitLabel_;
    std::optional<ChartHit> lastHit_;
};

}  // namespace vorbix
