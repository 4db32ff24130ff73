#include "settings/SettingConversions.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/zbar/ZbarEngine.h"
#include "pipeline/ScreenScan.h"
#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

using Args = std::vector<std::string>;

class OptionsTest : public FormTest {
  protected:
    // Written as the "更多设置" panel's 确定 writes them.
    void save(const Options& o) {
        SettingsStore store(fx.registry);
        saveSettings(store, o, StoredSetting::Panel::More);
    }
};

TEST_F(OptionsTest, AbsentKeysGiveTodaysBehaviour) {
    const Options o = storedOptions();
    EXPECT_EQ(o, Options{});
    EXPECT_EQ(o.rescanSeconds, 0);
    EXPECT_EQ(o.keyDelayMs, 0);
    EXPECT_EQ(o.typeMode, TypeMode::Unicode);
    EXPECT_EQ(o.prefix, "");
    EXPECT_EQ(o.suffix, "");
    EXPECT_EQ(o.camera, "");
    EXPECT_TRUE(o.beep);
    EXPECT_TRUE(o.history);
    EXPECT_EQ(ZbarEngine().cameraArguments(o), (Args{"-Sqrcode.binary", "-Stest-inverted", "--escape"}))
        << "QR bytes unchanged and inverted pictures tried, nothing else";
}

TEST_F(OptionsTest, StoredValuesAreTakenAtTheEdgesOfTheirRanges) {
    store("rescan", "3600");
    store("keydelay", "1000");
    store("typemode", "2");
    store("prefix", std::string(64, 'p'));
    store("suffix", std::string(64, 's'));
    store("camera", "9");
    store("beep", "0");
    store("history", "0");
    const Options o = storedOptions();
    EXPECT_EQ(o.rescanSeconds, 3600);
    EXPECT_EQ(o.keyDelayMs, 1000);
    EXPECT_EQ(o.typeMode, TypeMode::Paste);
    EXPECT_EQ(o.prefix, std::string(64, 'p'));
    EXPECT_EQ(o.suffix, std::string(64, 's'));
    EXPECT_EQ(o.camera, "9");
    EXPECT_FALSE(o.beep);
    EXPECT_FALSE(o.history);
}

TEST_F(OptionsTest, EachBadValueFallsBackAloneAndTheOthersStillLoad) {
    const std::pair<const char*, const char*> bad[] = {
        {"rescan", "3601"}, {"rescan", "-1"},  {"rescan", "1.5"},    {"rescan", "abc"},
        {"rescan", ""},     {"rescan", " 5"},  {"keydelay", "1001"}, {"keydelay", "99999999999"},
        {"typemode", "3"},  {"typemode", "x"}, {"camera", "10"},     {"camera", "a"},
        {"camera", "-1"},   {"beep", "True"},  {"beep", "2"},        {"history", ""},
    };
    for (const auto& [key, text] : bad) {
        fx.registry.values.clear();
        store("keydelay", "20");
        store("rescan", "7");
        store("typemode", "1");
        store("camera", "3");
        store("beep", "0");
        store("history", "0");
        store(key, text);
        const Options o = storedOptions();
        const std::string k = key;
        EXPECT_EQ(o.rescanSeconds, k == "rescan" ? 0 : 7) << key << "=" << text;
        EXPECT_EQ(o.keyDelayMs, k == "keydelay" ? 0 : 20) << key << "=" << text;
        EXPECT_EQ(o.typeMode, k == "typemode" ? TypeMode::Unicode : TypeMode::LayoutKeys)
            << key << "=" << text;
        EXPECT_EQ(o.camera, k == "camera" ? "" : "3") << key << "=" << text;
        EXPECT_EQ(o.beep, k == "beep") << key << "=" << text;
        EXPECT_EQ(o.history, k == "history") << key << "=" << text;
    }
}

TEST_F(OptionsTest, AffixesLongerThan64CharactersFallBackCountingCharactersNotBytes) {
    std::string chinese;
    for (int i = 0; i < 64; ++i) chinese += "码";
    store("prefix", chinese);
    store("suffix", std::string(65, 's'));
    const Options o = storedOptions();
    EXPECT_EQ(o.prefix, chinese) << "64 characters of three bytes each";
    EXPECT_EQ(o.suffix, "");
}

TEST_F(OptionsTest, ValuesOfAnotherTypeOrAFailedReadFallBackAndStartUpGoesOn) {
    fx.registry.values[fake::FakeRegistry::path(Hive::CurrentUser, kSettingsKey, "keydelay")] = {
        RegistryValue::Status::OtherType, "50"};
    store("rescan", "5");
    EXPECT_EQ(storedOptions().keyDelayMs, 0);
    EXPECT_EQ(storedOptions().rescanSeconds, 5);
    fx.registry.readFails = true;
    EXPECT_EQ(storedOptions(), unloadedOptions())
        << "every option at its default, but c1's failed read leaves codes untyped";
}

TEST_F(OptionsTest, BadOptionKeysNeverEndTheLoadOfThePanelKeys) {
    store("rescan", "junk");
    store("c2", "1");
    store("o1", "True");
    store("keydelay", "30");
    MainForm& f = started();
    EXPECT_TRUE(f.Check2.checked());
    EXPECT_TRUE(f.o1.selected());
    EXPECT_EQ(f.options.keyDelayMs, 30);
    EXPECT_EQ(f.options.rescanSeconds, 0);
}

TEST_F(OptionsTest, SavedValuesLoadBackTheSame) {
    Options o;
    o.rescanSeconds = 12;
    o.keyDelayMs = 5;
    o.typeMode = TypeMode::LayoutKeys;
    o.prefix = "前,\"";
    o.suffix = "-end";
    o.camera = "2";
    o.beep = false;
    o.history = false;
    o.hotkey = "";
    save(o);
    EXPECT_EQ(stored("typemode"), "1");
    EXPECT_EQ(stored("beep"), "0");
    EXPECT_EQ(stored("camera"), "2");
    EXPECT_EQ(stored("hotkey"), "") << "off, not absent";
    EXPECT_EQ(storedOptions(), o);
    save(Options{});
    EXPECT_EQ(stored("camera"), "");
    EXPECT_EQ(stored("history"), "1");
    EXPECT_EQ(storedOptions(), Options{});
}

TEST_F(OptionsTest, CameraAndBeepReachBothLaunchesAsArguments) {
    store("camera", "2");
    store("beep", "0");
    MainForm& f = started();
    advance(1);
    ASSERT_EQ(fx.children.started.size(), 1u);
    EXPECT_EQ(fx.children.started[0].args, (Args{"-Sqrcode.binary", "-Stest-inverted", "--escape", "-q", "2"}))
        << "-q before the camera";

    f.options.camera = "";
    f.options.beep = true;
    f.restart.click();
    advance(1000);
    ASSERT_EQ(fx.children.started.size(), 2u);
    EXPECT_EQ(fx.children.started[1].args, (Args{"-Sqrcode.binary", "-Stest-inverted", "--escape"}))
        << "the restart takes the current choice";
}

// A kind switched off is not decoded on any road: the camera, a dropped picture, the screen.
TEST_F(OptionsTest, KindsSwitchedOffReachEveryRoadAsArguments) {
    store("camera", "1");
    MainForm& f = started();
    advance(1);
    f.options.kindsOff = "qr, datamatrix,unknown";
    f.restart.click();
    advance(1000);
    f.listDrop({"C:\\p.png"});
    std::erase_if(fx.processes.processes, [](auto& p) { return p.exeName == "zbarimg.exe"; });
    advance(2000);
    f.bscreen.click();
    advance(kScreenWaitMs * 2);
    const Args off{"-Sqrcode.disable", "-Sdatamatrix.disable"};
    std::vector<Args> switched;
    for (const ChildSpec& child : fx.children.started) {
        Args found;
        for (const std::string& a : child.args) {
            if (a.ends_with(".disable")) found.push_back(a);
        }
        switched.push_back(found);
    }
    ASSERT_EQ(fx.children.started.size(), 4u) << "the first launch, the restart, the picture, the screen";
    EXPECT_EQ(switched, (std::vector<Args>{{}, off, off, off}));
    EXPECT_EQ(fx.children.started[1].args.back(), "1") << "the camera stays last";
    EXPECT_EQ(fx.children.started[2].args.back(), "C:\\p.png") << "the picture stays last";
}

}  // namespace
}  // namespace tolvira::test
