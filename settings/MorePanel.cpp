#include "settings/MorePanel.h"

#include "app/MainForm.h"
#include "engine/EngineRestart.h"

namespace tolvira {

namespace {

// A text that is no valid value leaves the option as it was until the text becomes one.
template <typename T, typename Convert>
void takeText(const EditBox& edit, T& option, Convert convert) {
    if (const auto value = convert(edit.text())) option = *value;
}

void showOptions(MainForm& form) {
    const Options& o = form.options;
    form.trescan.setCaption(std::to_string(o.rescanSeconds));
    form.tkeydelay.setCaption(std::to_string(o.keyDelayMs));
    form.tprefix.setCaption(o.prefix);
    form.tsuffix.setCaption(o.suffix);
    form.tcamera.setCaption(o.camera);
    // The events these raise set each option to the value it already has.
    OptionButton* modes[] = {&form.m0, &form.m1, &form.m2};
    modes[static_cast<int>(o.typeMode)]->setSelected(true);
    form.Check5.setValue(o.beep ? 1 : 0);
    form.Check6.setValue(o.history ? 1 : 0);
}

}  // namespace

void WireMoreSettings(MainForm& form) {
    Options& o = form.options;
    form.trescan.onChange = [&form, &o] {
        takeText(form.trescan, o.rescanSeconds,
                 [](const std::string& t) { return wholeNumberIn(t, 0, kMaxRescanSeconds); });
    };
    form.tkeydelay.onChange = [&form, &o] {
        takeText(form.tkeydelay, o.keyDelayMs,
                 [](const std::string& t) { return wholeNumberIn(t, 0, kMaxKeyDelayMs); });
    };
    form.tprefix.onChange = [&form, &o] { takeText(form.tprefix, o.prefix, affixFromText); };
    form.tsuffix.onChange = [&form, &o] { takeText(form.tsuffix, o.suffix, affixFromText); };
    form.tcamera.onChange = [&form, &o] { takeText(form.tcamera, o.camera, cameraFromText); };
    form.m0.onClick = [&o] { o.typeMode = TypeMode::Unicode; };
    form.m1.onClick = [&o] { o.typeMode = TypeMode::LayoutKeys; };
    form.m2.onClick = [&o] { o.typeMode = TypeMode::Paste; };
    form.Check5.onClick = [&form, &o] { o.beep = form.Check5.checked(); };
    form.Check6.onClick = [&form, &o] { o.history = form.Check6.checked(); };
    form.more.onClick = [&form] { OpenMoreSettings(form); };
    form.moreok.onClick = [&form] { SaveMoreSettings(form); };
}

void OpenMoreSettings(MainForm& form) {
    showOptions(form);
    form.Fmore.move(kPanelLeft, kPanelTop);
    form.Fmore.setVisible(true);
    form.Fset.setVisible(false);
}

void SaveMoreSettings(MainForm& form) {
    // A text left invalid shows the value in force when the panel is opened again.
    form.Fmore.setVisible(false);
    form.Fset.setVisible(true);
    // The stored values are those the engine was started with: the last launch read them, and
    // every change since has been followed by a re-initialisation.
    const Options stored = loadOptions(form.settings);
    // A refused write is not reported, as on the settings panel: the values still apply.
    saveOptions(form.settings, form.options);
    if (stored.camera != form.options.camera || stored.beep != form.options.beep) {
        RestartClick(form);
    }
}

}  // namespace tolvira
