#pragma once
// The help panel with the QR test pattern.
#include "app/SettingsPanels.h"
#include "pipeline/ResultPoll.h"

namespace tolvira {

// What the "无法识别？" link shows.
inline constexpr const char* kTips =
    "如果识别模块已运行请调节摄像头焦距到最佳，并增加环境的光线。"
    "如果识别模块未运行，请点击初始化或者重新启动计算机后再试";

// bhelp: opens the panel, with the self-test line handed to the poll, or closes it.
inline void ToggleHelp(Control& fhelp, ResultPoll& poll) {
    const bool open = !fhelp.visible();
    if (open) {
        poll.selfTest();
        fhelp.move(kPanelLeft, kPanelTop);
    }
    fhelp.setVisible(open);
}

}  // namespace tolvira
