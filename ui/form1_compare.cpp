#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/method_sheet_window.h"

namespace vorbix {

void Form1::BuildCompare() {
    AddButton(client_, "CompareMethods", QRect(952, 504, 88, 33), "Compare\nmethods",
              "Every method on this picture side by side; click one to choose it", [this] { CompareMethods_Click(); });
}

void Form1::CompareMethods_Click() {
    if (!sheet_)
        sheet_ = new MethodSheetWindow(this, session_, [this](int method, const std::vector<ColourValue>& swatches) {
            // As a click on the method's option button, then on "Best colours" for its set.
            option1_[method]->click();
            if (swatches.empty()) return;
            const TvcMode mode = session_.Mode();
            history_.Run(SettledSession(), EditKind::Swatch, [&] { session_.ChooseSwatches(mode, swatches); });
            ShowState();
            ShowConversion(QString("%1 with its best colours").arg(option1_[method]->text()));
        });
    sheet_->show();
    sheet_->raise();
    sheet_->activateWindow();
}

}  // namespace vorbix
