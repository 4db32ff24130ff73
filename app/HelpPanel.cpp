#include "app/HelpPanel.h"

#include "app/MainForm.h"

namespace tolvira {

namespace {
constexpr const char* kTips =
    "如果识别模块已运行请调节摄像头焦距到最佳，并增加环境的光线。"
    "如果识别模块未运行，请点击初始化或者重新启动计算机后再试";
}  // namespace

void ToggleHelp(MainForm& form) {
    if (form.fhelp.visible()) {
        form.fhelp.setVisible(false);
        return;
    }
    // With bar.dat still empty this line becomes the last accepted one, so the test pattern
    // counts as new again even if it was read before.
    form.LastBar = ResultLine::fromText(kSelfTestLine);
    form.fhelp.move(kPanelLeft, kPanelTop);
    form.fhelp.setVisible(true);
}

void HideHelp(MainForm& form) {
    form.fhelp.setVisible(false);
}

void ShowTips(MainForm& form) {
    form.showMessage(kTips);
}

}  // namespace tolvira
