#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/AutoStart.h"
#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

using Paths = std::vector<std::string>;

class SettingsTest : public FormTest {
  protected:
    void store(const std::string& key, const std::string& text) {
        fx.registry.values[settingPath(key)] = {RegistryValue::Status::Text, text};
    }
    void storeOtherType(const std::string& key) {
        fx.registry.values[settingPath(key)] = {RegistryValue::Status::OtherType, "1"};
    }
    // Counts Check3's click events before start-up loads the settings; the handler still runs.
    void countCheck3Clicks() {
        MainForm& f = form();
        f.Check3.onClick = [this, handler = f.Check3.onClick] {
            ++check3Clicks;
            handler();
        };
    }
    // The option buttons' states, o0 first.
    std::vector<bool> options() {
        MainForm& f = form();
        return {f.o0.selected(), f.o1.selected(), f.o2.selected()};
    }
    void expectInitialFrom(int firstCheck) {
        MainForm& f = form();
        const CheckBox* boxes[] = {&f.Check1, &f.Check2, &f.Check3, &f.Check4};
        for (int i = firstCheck; i < 4; ++i) EXPECT_EQ(boxes[i]->value(), 0) << boxes[i]->name();
        EXPECT_EQ(options(), (std::vector<bool>{true, false, false}));
    }

    int check3Clicks = 0;
};

TEST_F(SettingsTest, ControlsStartUncheckedWithNoneSelected) {
    MainForm& f = form();
    expectInitialFrom(0);
    EXPECT_FALSE(f.Fset.visible());
    EXPECT_EQ(f.Fset.bounds(), (Bounds{3960, 360, 3525, 3300}));
}

TEST_F(SettingsTest, FirstRunTypesCodesWithNoSuffix) {
    MainForm& f = started();
    EXPECT_TRUE(f.Check1.checked());
    EXPECT_FALSE(f.Check2.checked());
    EXPECT_FALSE(f.Check3.checked());
    EXPECT_FALSE(f.Check4.checked());
    EXPECT_EQ(options(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(fx.registry.writes.empty()) << "loading writes nothing";
}

TEST_F(SettingsTest, StoredZeroOverridesTheDefault) {
    store("c1", "0");
    EXPECT_FALSE(started().Check1.checked());
}

TEST_F(SettingsTest, StoredStatesLoadIntoTheControls) {
    store("c1", "0");
    store("c2", "1");
    store("c3", "1");
    store("o0", "False");
    store("o1", "True");
    store("o2", "False");
    MainForm& f = started();
    EXPECT_FALSE(f.Check1.checked());
    EXPECT_TRUE(f.Check2.checked());
    EXPECT_TRUE(f.Check3.checked());
    EXPECT_EQ(options(), (std::vector<bool>{false, true, false}));
}

TEST_F(SettingsTest, CheckBoxTextsWithBlanksOrOtherNumbersCheck) {
    store("c1", " 0 ");
    store("c2", " 1 ");
    store("c3", "2");
    MainForm& f = started();
    EXPECT_EQ(f.Check1.value(), 0);
    EXPECT_EQ(f.Check2.value(), 1);
    EXPECT_EQ(f.Check3.value(), 1) << "any other number is a plain check";
}

TEST_F(SettingsTest, LoadingCheck3RaisesItsClickSoTheVideoWindowFollows) {
    fx.windows.open("ZBar", "zbarcam.exe");
    store("c3", "1");
    countCheck3Clicks();
    started();
    EXPECT_EQ(check3Clicks, 1);
}

TEST_F(SettingsTest, LoadingAnUncheckedCheck3RaisesNothing) {
    store("c3", "0");
    countCheck3Clicks();
    started();
    EXPECT_EQ(check3Clicks, 0);
}

TEST_F(SettingsTest, LastOptionStoredAsSelectedWins) {
    store("o0", "True");
    store("o1", "True");
    store("o2", "True");
    started();
    EXPECT_EQ(options(), (std::vector<bool>{false, false, true}));
}

TEST_F(SettingsTest, TwoSelectedOptionsLeaveTheLaterOne) {
    store("o0", "True");
    store("o1", "True");
    store("o2", "False");
    started();
    EXPECT_EQ(options(), (std::vector<bool>{false, true, false}));
}

TEST_F(SettingsTest, AllOptionsFalseLeaveNoneSelected) {
    store("o0", "False");
    store("o1", "False");
    store("o2", "False");
    started();
    EXPECT_EQ(options(), (std::vector<bool>{false, false, false}));
}

TEST_F(SettingsTest, OptionTextsInAnyCaseOrAsNumbers) {
    struct Case {
        const char* o0;
        const char* o1;
        const char* o2;
        std::vector<bool> expected;
    };
    const Case cases[] = {
        {"true", "FALSE", "0", {true, false, false}},
        {"0", "-1", "false", {false, true, false}},
        {"FALSE", "0", "TRUE", {false, false, true}},
        {"0", "0", "0", {false, false, false}},
    };
    for (const Case& c : cases) {
        fake::FakePlatform other;
        for (const auto& [key, text] : {std::pair{"o0", c.o0}, {"o1", c.o1}, {"o2", c.o2}}) {
            other.registry.values[settingPath(key)] = {RegistryValue::Status::Text, text};
        }
        MainForm f(other.services);
        f.load();
        EXPECT_EQ((std::vector<bool>{f.o0.selected(), f.o1.selected(), f.o2.selected()}),
                  c.expected)
            << c.o0 << " " << c.o1 << " " << c.o2;
    }
}

TEST_F(SettingsTest, UnreadableC2StopsTheLoadAndStartUpGoesOn) {
    fx.windows.open("ZBar", "zbarcam.exe");
    storeRunValue({RegistryValue::Status::Text, "C:\\Scan\\Tolvira.exe RUN"});
    store("c2", "abc");
    store("c3", "1");
    store("o1", "True");
    countCheck3Clicks();
    MainForm& f = started();
    EXPECT_TRUE(f.Check1.checked()) << "keys before the failure are loaded";
    expectInitialFrom(1);
    EXPECT_EQ(check3Clicks, 0);
    EXPECT_EQ(fx.window.calls,
              (std::vector<std::string>{"size", "colourKey", "topmost", "trayAdd", "show"}));
    EXPECT_TRUE(ticking("DelayLoad"));
}

TEST_F(SettingsTest, ValueOfAnotherTypeStopsTheLoad) {
    storeRunValue({RegistryValue::Status::Text, "C:\\Scan\\Tolvira.exe RUN"});
    store("c1", "0");
    store("c2", "1");
    storeOtherType("c3");
    MainForm& f = started();
    EXPECT_FALSE(f.Check1.checked());
    EXPECT_TRUE(f.Check2.checked());
    expectInitialFrom(2);
}

TEST_F(SettingsTest, FailingOptionKeepsTheLaterOptionsAsTheyWere) {
    storeRunValue({RegistryValue::Status::Text, "C:\\Scan\\Tolvira.exe RUN"});
    store("o0", "False");
    store("o1", "yes");
    store("o2", "True");
    MainForm& f = started();
    EXPECT_TRUE(f.Check4.checked()) << "the Run value is read before the options";
    EXPECT_EQ(options(), (std::vector<bool>{false, false, false}));
}

TEST_F(SettingsTest, UnreadableStoreStopsAtTheFirstKey) {
    fx.registry.readFails = true;
    started();
    expectInitialFrom(0);
    EXPECT_TRUE(ticking("DelayLoad"));
}

TEST_F(SettingsTest, C4IsNeverRead) {
    store("c4", "1");
    EXPECT_FALSE(started().Check4.checked()) << "no Run value";
}

TEST_F(SettingsTest, UnreadableC4DoesNotStopTheLoad) {
    store("c4", "abc");
    store("o2", "True");
    started();
    EXPECT_EQ(options(), (std::vector<bool>{false, false, true}));
}

TEST_F(SettingsTest, LoadingNeverWritesOrDeletesTheRunValueNorShowsTheMessage) {
    storeRunValue({RegistryValue::Status::Text, "D:\\Elsewhere\\Other.exe"});
    MainForm& f = started();
    EXPECT_TRUE(f.Check4.checked());
    EXPECT_TRUE(fx.registry.writes.empty());
    EXPECT_EQ(fx.registry.values[runPath()].text, "D:\\Elsewhere\\Other.exe");
    EXPECT_TRUE(fx.dialogs.shown.empty());
}

TEST_F(SettingsTest, OpeningMovesEnablesAndShowsThePanelAndRearmsTheMonitor) {
    MainForm& f = started();
    f.restart.setEnabled(false);
    fx.clock.stop("CheckIRMLoad");
    f.bset.click();
    EXPECT_EQ(f.Fset.bounds(), (Bounds{120, 480, 3525, 3300}));
    EXPECT_TRUE(f.restart.enabled());
    EXPECT_TRUE(f.Fset.visible());
    EXPECT_TRUE(ticking("CheckIRMLoad"));
}

TEST_F(SettingsTest, OpeningAnOpenPanelRepeatsTheSameSteps) {
    MainForm& f = started();
    f.bset.click();
    f.restart.setEnabled(false);
    fx.clock.stop("CheckIRMLoad");
    f.bset.click();
    EXPECT_EQ(f.Fset.bounds(), (Bounds{120, 480, 3525, 3300}));
    EXPECT_TRUE(f.restart.enabled());
    EXPECT_TRUE(f.Fset.visible());
    EXPECT_TRUE(ticking("CheckIRMLoad"));
    EXPECT_TRUE(fx.registry.writes.empty());
}

TEST_F(SettingsTest, OkWithoutChangeWritesAllSevenKeysAndLeavesOldBar) {
    setOldBar("QR-Code:last");
    MainForm& f = started();
    f.bset.click();
    fx.registry.writes.clear();
    f.setok.click();
    EXPECT_FALSE(f.Fset.visible());
    EXPECT_EQ(f.Fset.bounds(), (Bounds{120, 480, 3525, 3300})) << "stays where it was moved";
    EXPECT_EQ(fx.registry.writes,
              (Paths{settingPath("c1"), settingPath("c2"), settingPath("c3"), settingPath("c4"),
                     settingPath("o0"), settingPath("o1"), settingPath("o2")}));
    EXPECT_EQ(stored("c1"), "1");
    EXPECT_EQ(stored("c2"), "0");
    EXPECT_EQ(stored("c3"), "0");
    EXPECT_EQ(stored("c4"), "0");
    EXPECT_EQ(stored("o0"), "True");
    EXPECT_EQ(stored("o1"), "False");
    EXPECT_EQ(stored("o2"), "False");
    EXPECT_EQ(oldBar(), "QR-Code:last");
}

TEST_F(SettingsTest, OkWritesEveryTimeEvenTwiceInARow) {
    MainForm& f = started();
    f.setok.click();
    f.setok.click();
    EXPECT_EQ(fx.registry.writes.size(), 14u);
}

TEST_F(SettingsTest, SavedStatesLoadBackAtTheNextStart) {
    MainForm& f = started();
    f.bset.click();
    f.Check1.toggle();
    f.Check2.toggle();
    f.Check3.toggle();
    f.Check4.toggle();
    f.o2.setSelected(true);
    f.setok.click();
    EXPECT_EQ(stored("c1"), "0");
    EXPECT_EQ(stored("c4"), "1");
    EXPECT_EQ(stored("o2"), "True");

    MainForm next(fx.services);
    next.load();
    EXPECT_FALSE(next.Check1.checked());
    EXPECT_TRUE(next.Check2.checked());
    EXPECT_TRUE(next.Check3.checked());
    EXPECT_TRUE(next.Check4.checked());
    EXPECT_EQ((std::vector<bool>{next.o0.selected(), next.o1.selected(), next.o2.selected()}),
              (std::vector<bool>{false, false, true}));
}

TEST_F(SettingsTest, DeletingC4ChangesNothingAtTheNextStart) {
    MainForm& f = started();
    f.Check4.toggle();
    f.setok.click();
    fx.registry.values.erase(settingPath("c4"));
    MainForm next(fx.services);
    next.load();
    EXPECT_TRUE(next.Check4.checked()) << "follows the Run value";
}

// Refuses writes of one settings key, as a store might for a value it locks.
class RefusingRegistry : public fake::FakeRegistry {
  public:
    explicit RefusingRegistry(std::string refused) : refused_(std::move(refused)) {}
    bool set(Hive hive, const std::string& key, const std::string& name,
             const std::string& text) override {
        if (name == refused_) return false;
        return FakeRegistry::set(hive, key, name, text);
    }

  private:
    std::string refused_;
};

TEST_F(SettingsTest, RefusedWriteOnOkLeavesItsOldValueAndTheOthersAreWritten) {
    RefusingRegistry registry("c3");
    registry.values[settingPath("c3")] = {RegistryValue::Status::Text, "1"};
    Services services{fx.services.env, fx.processes, fx.children, fx.files,  registry,
                      fx.clipboard,    fx.keyboard,  fx.windows,  fx.window, fx.tray,
                      fx.dialogs,      fx.lifecycle, fx.codec,    fx.worker, fx.clock,
                      fx.clock,        fx.hotKey,    fx.screen,  fx.cameras};
    MainForm f(services);
    f.load();
    f.Check3.toggle();
    f.bset.click();
    f.setok.click();
    EXPECT_FALSE(f.Fset.visible());
    EXPECT_EQ(registry.values[settingPath("c3")].text, "1");
    EXPECT_EQ(registry.writes, (Paths{settingPath("c1"), settingPath("c2"), settingPath("c4"),
                                      settingPath("o0"), settingPath("o1"), settingPath("o2")}));
    EXPECT_TRUE(fx.dialogs.shown.empty());
}

TEST_F(SettingsTest, StoreRefusingEveryWriteIsNotReported) {
    MainForm& f = started();
    f.bset.click();
    fx.registry.writeFails = true;
    f.setok.click();
    EXPECT_FALSE(f.Fset.visible());
    EXPECT_TRUE(fx.registry.writes.empty());
    EXPECT_TRUE(fx.dialogs.shown.empty());
}

}  // namespace
}  // namespace tolvira::test
