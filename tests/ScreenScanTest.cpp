#include "pipeline/ScreenScan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/zbar/ZbarEngine.h"
#include "settings/HotKeyText.h"
#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

using Texts = std::vector<std::string>;
constexpr const char* kHistory = "C:\\Scan\\history.csv";
constexpr const char* kImageEngine = "zbarimg.exe";
constexpr KeyChord kDefaultKey{KeyChord::Ctrl | KeyChord::Shift, 0x79};  // F10

TEST(HotKeyTextTest, TextsAreReadInOneSpellingOrRefused) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {" alt + CONTROL + f5 ", "Ctrl+Alt+F5"},
        {"Ctrl+Win+Alt+Q", "Ctrl+Alt+Win+Q"},
        {"Alt+Q", "Alt+Q"},
        {"Shift+Win+7", "Shift+Win+7"},
        {"Ctrl+Shift+F12", "Ctrl+Shift+F12"},
        {"F24", "F24"},
        {"shift+f1", "Shift+F1"},
        {"", ""},
        {"   ", ""},
        {"Q", std::nullopt},  // would take the letter from typing
        {"Shift+Q", std::nullopt},
        {"Ctrl+Alt", std::nullopt},
        {"Ctrl+Alt+", std::nullopt},
        {"Ctrl++Q", std::nullopt},
        {"Ctrl+Ctrl+Q", std::nullopt},
        {"Ctrl+Q+Alt", std::nullopt},
        {"Ctrl+Alt+QQ", std::nullopt},
        {"Ctrl+F0", std::nullopt},
        {"Ctrl+F25", std::nullopt},
        {"Ctrl+F01", std::nullopt},
        {"Ctrl+Alt+屏", std::nullopt},
        {"Ctrl+Alt+Q+W", std::nullopt},
        {"Hyper+Q", std::nullopt},
        // AltGr, as Windows reports it: a character on many layouts.
        {"Ctrl+Alt+Q", std::nullopt},
        {"Ctrl+Alt+Shift+2", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(hotKeyFromText(text), expected) << '"' << text << '"';
    }
    EXPECT_EQ(keyChordFromText(kDefaultHotKey), kDefaultKey);
    EXPECT_EQ(keyChordFromText("Win+F5"), (KeyChord{KeyChord::Win, 0x74}));
    EXPECT_EQ(hotKeyRefusal("Ctrl+Alt+Q"), kAltGrKeyNote);
    EXPECT_EQ(hotKeyRefusal("Ctrl+Alt+"), kBadKeyNote);
    EXPECT_EQ(hotKeyRefusal("Ctrl+Shift+Q"), std::nullopt);
    EXPECT_EQ(hotKeyRefusal(""), std::nullopt);
}

class ScreenScanTest : public FormTest {
  protected:
    void storeHotKey(const std::string& text) {
        fx.registry.set(Hive::CurrentUser, kSettingsKey, "hotkey", text);
    }
    // The image engine writes its output and ends.
    void engineFinishes(const Bytes& output) {
        fx.files.write(kBar2Dat, output);
        std::erase_if(fx.processes.processes,
                      [](const ProcessEntry& p) { return p.exeName == kImageEngine; });
    }
    // A scan by the key whose engine reports `output`.
    MainForm& scanned(const Bytes& output) {
        MainForm& f = started();
        f.hotKeyPressed();
        engineFinishes(output);
        advance(kScreenWaitMs);
        return f;
    }
    // The first n entries of the list, which under them holds the engine's launch status.
    static Texts top(const MainForm& f, size_t n) {
        const Texts all = f.CodeList.items();
        return {all.begin(), all.begin() + static_cast<long>(std::min(n, all.size()))};
    }
    size_t imageRuns() const {
        return static_cast<size_t>(
            std::count_if(fx.children.started.begin(), fx.children.started.end(),
                          [](const ChildSpec& c) { return c.exe == kImageEngine; }));
    }
    std::string fileText(const char* path) const {
        const Bytes* data = fx.files.contents(path);
        return data ? *data : "<missing>";
    }
};

TEST_F(ScreenScanTest, StoredKeyIsClaimedAtStartUp) {
    const std::pair<std::optional<std::string>, std::optional<KeyChord>> cases[] = {
        {std::nullopt, kDefaultKey},  // never stored: the default
        {"Ctrl+Shift+F9", KeyChord{KeyChord::Ctrl | KeyChord::Shift, 0x78}},
        {"Ctrl+", kDefaultKey},       // bad: the default alone
        {"Ctrl+Alt+Q", kDefaultKey},  // the old default, AltGr+Q
        {"", std::nullopt},    // off: nothing registered
    };
    for (const auto& [stored, held] : cases) {
        fake::FakePlatform platform;
        if (stored) {
            platform.registry.set(Hive::CurrentUser, kSettingsKey, "hotkey", *stored);
        }
        MainForm f(platform.services);
        f.load();
        EXPECT_EQ(platform.hotKey.held, held) << stored.value_or("<absent>");
        EXPECT_TRUE(f.CodeList.items().empty());
    }
}

TEST_F(ScreenScanTest, KeyHeldByAnotherProgramIsListedOnceAndTheLabelStillScans) {
    fx.hotKey.taken.push_back(kDefaultKey);
    MainForm& f = started();
    EXPECT_EQ(f.CodeList.items(), Texts{"[屏幕扫码热键Ctrl+Shift+F10已被其他程序占用]"});
    f.bscreen.click();
    engineFinishes("QR-Code:x\r\n");
    advance(kScreenWaitMs);
    EXPECT_EQ(f.CodeList.item(0), "QR-Code:x");
}

// Typing "Ctrl+Alt+W" passes through "Ctrl+A", which must never be held on the way.
TEST_F(ScreenScanTest, KeyTypedOnThePanelIsHeldOnlyOnConfirm) {
    MainForm& f = started();
    f.more.click();
    for (const char* typed : {"Ctrl+", "Ctrl+A", "Ctrl+Al", "Ctrl+Alt+W", "Ctrl+Shift+F2"}) {
        f.thotkey.typed(typed);
        EXPECT_EQ(fx.hotKey.held, kDefaultKey) << typed;
    }
    f.moreok.click();
    EXPECT_EQ(fx.hotKey.held, (KeyChord{KeyChord::Ctrl | KeyChord::Shift, 0x71}));
    EXPECT_EQ(fx.registry.get(Hive::CurrentUser, kSettingsKey, "hotkey").text, "Ctrl+Shift+F2");

    f.more.click();
    f.thotkey.typed("");
    f.moreok.click();
    EXPECT_EQ(fx.hotKey.held, std::nullopt);
    EXPECT_EQ(fx.registry.get(Hive::CurrentUser, kSettingsKey, "hotkey").text, "");
}

TEST_F(ScreenScanTest, AnAltGrOrBadKeyIsNotedOnThePanelAndConfirmedAsTheDefault) {
    MainForm& f = started();
    f.more.click();
    const std::string note = f.Label10.caption();
    f.thotkey.typed("Ctrl+Alt+Q");
    EXPECT_EQ(f.Label10.caption(), kAltGrKeyNote);
    f.thotkey.typed("Ctrl+Alt+Q+");
    EXPECT_EQ(f.Label10.caption(), kBadKeyNote);
    f.moreok.click();
    EXPECT_EQ(fx.hotKey.held, kDefaultKey);
    EXPECT_EQ(f.thotkey.text(), kDefaultHotKey);
    EXPECT_EQ(f.Label10.caption(), note);
    EXPECT_EQ(f.CodeList.item(0), "[屏幕扫码热键Ctrl+Alt+Q+无效，已改用Ctrl+Shift+F10]");
    EXPECT_EQ(fx.registry.get(Hive::CurrentUser, kSettingsKey, "hotkey").text, kDefaultHotKey);
}

TEST_F(ScreenScanTest, CaptureLeavesOutTheWindowAndTheVideoWindowAndTheEngineReadsIt) {
    const WindowId video = fx.windows.open("ZBar", "zbarcam.exe");
    MainForm& f = started();
    fx.worker.hold = true;
    f.hotKeyPressed();
    EXPECT_TRUE(fx.screen.aside);
    fx.worker.finishNext();  // the capture
    EXPECT_FALSE(fx.screen.aside) << "back as soon as the picture is taken";
    EXPECT_EQ(fx.screen.asideAtCapture, std::vector<bool>{true});
    EXPECT_EQ(fx.screen.capturedWithout, std::vector<std::vector<WindowId>>{{video}});
    fx.worker.finishAll();
    ASSERT_EQ(imageRuns(), 1u);
    EXPECT_EQ(fx.children.started.back(),
              (ChildSpec{kImageEngine,
                         {"-D", "-q", kQrBytesUnchanged, kTryInverted, kEscapeLineBreaks, fx.screen.pictures[0]},
                         kBar2Dat}));
    EXPECT_NE(fx.screen.pictures[0].rfind("C:\\Scan\\", 0), 0u) << "not in the program folder";
}

TEST_F(ScreenScanTest, EveryResultLineIsListedInOrderLoggedAndRecordedAsScreen) {
    MainForm& f = scanned("QR-Code:扫码:中文\r\nCODE-128:ABC-123\r\n\r\n");
    EXPECT_EQ(top(f, 3),
              (Texts{"QR-Code:扫码:中文", "CODE-128:ABC-123", "[正在加载图像识别模块]"}));
    EXPECT_EQ(fileText(kDataTxt), "扫码:中文\r\nABC-123\r\n");
    EXPECT_EQ(fileText(kHistory),
              "\xEF\xBB\xBF"
              "2026-12-08 14:00:00.250,screen,QR-Code,扫码:中文\r\n"
              "2026-12-08 14:00:00.250,screen,CODE-128,ABC-123\r\n");
    EXPECT_FALSE(ticking("ReadS"));
}

TEST_F(ScreenScanTest, FirstCodeIsCopiedOnlyWithTheCopyOptionAndNothingIsEverTyped) {
    for (const int copy : {0, 1}) {
        fake::FakePlatform platform;
        MainForm f(platform.services);
        f.load();
        f.Check1.setValue(1);
        f.o1.setSelected(true);
        f.Check2.setValue(copy);
        f.bscreen.click();
        platform.files.write(kBar2Dat, "QR-Code:first\r\nEAN-13:second\r\n");
        std::erase_if(platform.processes.processes,
                      [](const ProcessEntry& p) { return p.exeName == kImageEngine; });
        platform.clock.advance(kScreenWaitMs);
        EXPECT_EQ(f.CodeList.item(0), "QR-Code:first");
        EXPECT_EQ(platform.clipboard.text,
                  copy ? std::optional<std::string>("first") : std::nullopt);
        EXPECT_TRUE(platform.keyboard.batches.empty());
    }
}

TEST_F(ScreenScanTest, TheCopyWaitsUntilACameraCodesPasteHasBeenRead) {
    MainForm& f = running();
    f.options.typeMode = TypeMode::Paste;
    f.Check2.setValue(1);
    fx.keyboard.targetBusy = true;
    scan("QR-Code:camera");
    f.hotKeyPressed();
    engineFinishes("QR-Code:screen\r\n");
    advance(kScreenWaitMs);
    EXPECT_EQ(fx.clipboard.text, "camera") << "still there for the target";
    fx.keyboard.targetBusy = false;
    advance(1000);
    EXPECT_EQ(fx.keyboard.clipboardAt, std::vector<std::string>{"camera"});
    EXPECT_EQ(fx.clipboard.text, "screen");
}

TEST_F(ScreenScanTest, NothingFoundIsSaidInTheList) {
    MainForm& f = scanned("");
    EXPECT_EQ(top(f, 1), Texts{kScreenNothingFound});
    EXPECT_EQ(fileText(kDataTxt), "<missing>");
}

TEST_F(ScreenScanTest, FailedCaptureIsSaidAndStartsNoEngine) {
    fx.screen.fails = true;
    MainForm& f = started();
    f.hotKeyPressed();
    EXPECT_EQ(f.CodeList.items(), Texts{kScreenCaptureFailed});
    EXPECT_EQ(imageRuns(), 0u);
    fx.screen.fails = false;
    f.hotKeyPressed();
    EXPECT_EQ(imageRuns(), 1u) << "the next press scans again";
}

TEST_F(ScreenScanTest, PressWhileBusyIsIgnored) {
    MainForm& f = started();
    f.hotKeyPressed();
    advance(kScreenWaitMs * 3);  // the engine still runs
    f.hotKeyPressed();
    f.bscreen.click();
    EXPECT_EQ(fx.screen.pictures.size(), 1u);
    EXPECT_EQ(imageRuns(), 1u);
    engineFinishes("QR-Code:x\r\n");
    advance(kScreenWaitMs);
    f.hotKeyPressed();
    EXPECT_EQ(fx.screen.pictures.size(), 2u) << "free again once the result is taken";
}

TEST_F(ScreenScanTest, PictureIsDeletedOnceRead) {
    scanned("QR-Code:x\r\n");
    ASSERT_EQ(fx.screen.pictures.size(), 1u);
    EXPECT_EQ(fx.files.contents(fx.screen.pictures[0]), nullptr);
}

TEST_F(ScreenScanTest, DroppedPictureTakesTheEngineOverAndTheScanWaitsForIt) {
    MainForm& f = started();
    f.hotKeyPressed();
    const uint32_t scanEngine = fx.processes.processes.back().pid;
    f.listDrop({"D:\\photo.png"});
    EXPECT_FALSE(ticking("ReadS"));
    EXPECT_EQ(fx.files.contents(fx.screen.pictures[0]), nullptr);
    EXPECT_EQ(fx.processes.terminated, std::vector<uint32_t>{scanEngine})
        << "ended before its picture is deleted";
    f.hotKeyPressed();
    EXPECT_EQ(fx.screen.pictures.size(), 1u) << "the picture's engine run is not ended";
    engineFinishes("QR-Code:photo\r\nQR-Code:more\r\n");
    advance(1500);
    EXPECT_EQ(top(f, 2), (Texts{"QR-Code:photo", "[正在加载图像识别模块]"}))
        << "read as a picture, first line only";
}

}  // namespace
}  // namespace tolvira::test
