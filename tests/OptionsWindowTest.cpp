#include "app/OptionsWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/CodeKinds.h"
#include "engine/zbar/ZbarEngine.h"
#include "pipeline/CodePattern.h"
#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

using Kind = StoredSetting::Kind;
using Texts = std::vector<std::string>;

int right(const Control& c) {
    return c.bounds().left + c.bounds().width;
}
int bottom(const Control& c) {
    return c.bounds().top + c.bounds().height;
}

class OptionsWindowTest : public FormTest {
  public:  // for the cases' changes
    MainForm& opened() {
        MainForm& f = started();
        f.bset.click();
        f.bopts.click();
        return f;
    }
    OptionsWindow& window() { return form().optionsWindow; }
    EditBox& edit(const std::string& key) { return static_cast<EditBox&>(window().control(key)); }
    CheckBox& kindBox(const std::string& id) {
        return static_cast<CheckBox&>(window().control("kind." + id));
    }
    ListBox& cameraList() { return static_cast<ListBox&>(window().control("cameraname")); }
    // The arguments the camera engine was last started with, after its own three.
    Texts lastCameraArguments() const {
        const Texts& args = fx.children.started.back().args;
        return {args.begin() + 3, args.end()};
    }
    Texts optionsKeyPaths() const {
        Texts paths;
        for (const StoredSetting& row : storedSettings()) {
            if (row.panel == StoredSetting::Panel::Options) {
                paths.push_back(settingPath(std::string(row.key)));
            }
        }
        return paths;
    }
};

// Every caption must read whole: a control narrower than its text clips it.
TEST_F(OptionsWindowTest, ItsLinesAreTheTablesRowsInOrderEachReadableWhole) {
    MainForm& f = form();
    const Control& win = f.optionsWindow.window();
    EXPECT_EQ(win.caption(), "Tolvira 高级选项");
    EXPECT_FALSE(win.visible()) << "until the link opens it";

    Texts keys;
    for (const StoredSetting& row : storedSettings()) {
        if (row.panel == StoredSetting::Panel::Options) keys.emplace_back(row.key);
    }
    Texts shown;
    int lineTop = 0;
    for (const OptionsWindow::Line& line : f.optionsWindow.lines()) {
        const std::string key(line.row.key);
        SCOPED_TRACE(key);
        shown.push_back(key);
        EXPECT_EQ(line.caption.caption(), line.row.caption);
        Texts captions;
        for (const Control* c : line.controls) captions.push_back(c->caption());
        switch (line.row.kind) {
            case Kind::Choice:
                EXPECT_EQ(captions, Texts(line.row.choices.begin(), line.row.choices.end()));
                break;
            case Kind::Kinds: {
                Texts kinds;
                for (const CodeKindInfo& info : kCodeKinds) kinds.emplace_back(info.caption);
                EXPECT_EQ(captions, kinds);
                break;
            }
            case Kind::Text:
                ASSERT_EQ(line.controls.size(), 1u);
                EXPECT_EQ(static_cast<const EditBox*>(line.controls[0])->maxLength(),
                          line.row.maxLength);
                break;
            default:
                ASSERT_EQ(line.controls.size(), 1u);
                EXPECT_EQ(line.controls[0]->kind(), ControlKind::ListBox);
        }
        // Below the line before, beside its caption, inside the window.
        std::vector<const Control*> all{&line.caption};
        all.insert(all.end(), line.controls.begin(), line.controls.end());
        for (const Control* c : all) {
            EXPECT_GE(c->bounds().top, lineTop) << c->name();
            EXPECT_LE(right(*c), win.bounds().width) << c->name();
            const bool boxed =
                c->kind() == ControlKind::CheckBox || c->kind() == ControlKind::OptionButton;
            EXPECT_GE(c->bounds().width, textWidth(c->caption()) + (boxed ? 300 : 0)) << c->name();
        }
        for (const Control* c : line.controls) {
            EXPECT_GT(c->bounds().left, right(line.caption)) << c->name();
        }
        for (const Control* c : all) lineTop = std::max(lineTop, bottom(*c));
    }
    EXPECT_EQ(shown, keys);
    for (Control* c : {static_cast<Control*>(&f.optionsWindow.note()), &f.optionsWindow.ok()}) {
        EXPECT_GE(c->bounds().top, lineTop) << c->name();
        EXPECT_GE(c->bounds().width, textWidth(c->caption())) << c->name();
        EXPECT_LE(bottom(*c), win.bounds().height) << c->name();
    }
}

TEST_F(OptionsWindowTest, TheLinkOpensItShowingTheStoredValuesAndTheCamerasByName) {
    fx.cameras.plugged = {"Integrated Camera", "USB 摄像头"};
    store("cameraname", "USB 摄像头");
    store("duplicates", "1");
    store("pattern", "^A");
    store("gs1", "2");
    MainForm& f = opened();
    EXPECT_TRUE(f.optionsWindow.window().visible());
    EXPECT_EQ(cameraList().items(), fx.cameras.plugged);
    EXPECT_EQ(cameraList().selectedIndex(), 1);
    EXPECT_TRUE(static_cast<OptionButton&>(window().control("duplicates.1")).selected());
    EXPECT_TRUE(static_cast<OptionButton&>(window().control("dupscope.0")).selected());
    EXPECT_TRUE(static_cast<OptionButton&>(window().control("gs1.2")).selected());
    EXPECT_EQ(edit("pattern").text(), "^A");
    EXPECT_EQ(edit("template").text(), "");

    fx.cameras.plugged = {"USB 摄像头"};
    f.optionsWindow.window().setVisible(false);  // closed with its close box
    f.bopts.click();
    EXPECT_EQ(cameraList().items(), fx.cameras.plugged) << "listed afresh";
    EXPECT_EQ(cameraList().selectedIndex(), 0);
}

// One after the other on one running program: each relaunch takes the options as they are.
TEST_F(OptionsWindowTest, OkWritesItsKeysOnlyAndReinitialisesTheEngineWhenTheCameraChanged) {
    struct Case {
        const char* name;
        std::function<void(OptionsWindowTest&)> change;
        size_t launches;
        Texts cameraArguments;  // of the last launch
    };
    const Case cases[] = {
        {"another camera", [](OptionsWindowTest& t) { t.cameraList().pick(1); }, 2, {"1"}},
        {"the same camera", [](OptionsWindowTest& t) { t.cameraList().pick(1); }, 2, {"1"}},
        {"the first camera", [](OptionsWindowTest& t) { t.cameraList().pick(0); }, 3, {"0"}},
        {"the pattern", [](OptionsWindowTest& t) { t.edit("pattern").typed("^9"); }, 3, {"0"}},
        // A kind switched off is the engine's switch: a new engine.
        {"a kind", [](OptionsWindowTest& t) { t.kindBox("qr").toggle(); }, 4,
         {"-Sqrcode.disable", "0"}},
        {"nothing", [](OptionsWindowTest&) {}, 4, {"-Sqrcode.disable", "0"}},
    };
    fx.cameras.plugged = {"Integrated Camera", "USB 摄像头"};
    MainForm& f = running();
    ASSERT_EQ(fx.children.started.size(), 1u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.bopts.click();
        c.change(*this);
        fx.registry.writes.clear();
        f.optionsWindow.ok().click();
        EXPECT_FALSE(f.optionsWindow.window().visible());
        EXPECT_EQ(fx.registry.writes, optionsKeyPaths());
        advance(2000);
        ASSERT_EQ(fx.children.started.size(), c.launches);
        EXPECT_EQ(lastCameraArguments(), c.cameraArguments);
    }
    EXPECT_EQ(stored("cameraname"), "Integrated Camera");
    EXPECT_EQ(stored("pattern"), "^9");
    EXPECT_EQ(stored("kindsoff"), "qr");
    EXPECT_EQ(stored("camera"), "<absent>") << "the 更多设置 panel's key waits for its 确定";
    EXPECT_EQ(storedOptions().cameraName, f.options.cameraName);
}

// Typed one after the other into one window: a text is checked with the other text in force.
TEST_F(OptionsWindowTest, ABadPatternOrTemplateIsRefusedWithTheReasonAndTheLastGoodOneStays) {
    struct Case {
        const char* key;
        const char* typed;
        const char* pattern;  // in force after it
        const char* outputTemplate;
        bool refused;
    };
    const Case cases[] = {
        {"pattern", "(", "^A", "", true},
        {"pattern", "^(\\d+)-(\\w)", "^(\\d+)-(\\w)", "", false},
        {"template", "$3", "^(\\d+)-(\\w)", "", true},
        {"template", "#$2$1", "^(\\d+)-(\\w)", "#$2$1", false},
        {"pattern", "^(\\d+)", "^(\\d+)-(\\w)", "#$2$1", true},  // the template needs group 2
        {"pattern", "[z-a]", "^(\\d+)-(\\w)", "#$2$1", true},
        {"pattern", "^(\\d+)-(\\w)", "^(\\d+)-(\\w)", "#$2$1", false},
        {"template", "$1", "^(\\d+)-(\\w)", "$1", false},
        {"pattern", "^(\\d+)", "^(\\d+)", "$1", false},
    };
    store("pattern", "^A");
    MainForm& f = opened();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.typed);
        const std::string patternBefore = f.options.pattern;
        const std::string templateBefore = f.options.patternTemplate;
        edit(c.key).typed(c.typed);
        EXPECT_EQ(f.options.pattern, c.pattern);
        EXPECT_EQ(f.options.patternTemplate, c.outputTemplate);
        const std::string reason = std::string(c.key) == "pattern"
                                       ? CodePattern::compile(c.typed, templateBefore).error
                                       : CodePattern::compile(patternBefore, c.typed).error;
        EXPECT_EQ(reason.empty(), !c.refused);
        EXPECT_EQ(f.optionsWindow.message().caption(), reason);
    }
    // The reason stays while the refused text does, whatever is typed elsewhere.
    edit("pattern").typed("(");
    edit("template").typed("$0");
    EXPECT_EQ(f.optionsWindow.message().caption(), CodePattern::compile("(").error);
    f.optionsWindow.ok().click();
    EXPECT_EQ(stored("pattern"), "^(\\d+)") << "the last good one";
    f.bopts.click();
    EXPECT_EQ(edit("pattern").text(), "^(\\d+)");
    EXPECT_EQ(f.optionsWindow.message().caption(), "") << "opened again, nothing is refused";
}

TEST_F(OptionsWindowTest, TheKindBoxesShowTheKindsSwitchedOffAndClicksSwitchThem) {
    store("kindsoff", "qr, code39,gone");
    MainForm& f = opened();
    EXPECT_EQ(f.options.kindsOff, "code39,qr") << "unknown ids dropped, table order";
    for (const CodeKindInfo& info : kCodeKinds) {
        const bool off = std::string(info.id) == "qr" || std::string(info.id) == "code39";
        EXPECT_EQ(kindBox(info.id).checked(), !off) << info.id;
    }
    const std::pair<const char*, const char*> clicks[] = {
        {"ean", "ean,code39,qr"},
        {"qr", "ean,code39"},
        {"datamatrix", "ean,code39,datamatrix"},
        {"ean", "code39,datamatrix"},
        {"code39", "datamatrix"},
        {"datamatrix", ""},
    };
    for (const auto& [id, kindsOff] : clicks) {
        kindBox(id).toggle();
        EXPECT_EQ(f.options.kindsOff, kindsOff) << "after " << id;
    }
    f.optionsWindow.ok().click();
    EXPECT_EQ(stored("kindsoff"), "");
}

// Each case a fresh start with these cameras plugged in.
TEST(NamedCamera, TheNameFindsItsCameraAtStartOrFallsBackToTheFirstWithALine) {
    struct Case {
        const char* name;
        Texts plugged;
        const char* cameraName;
        const char* camera;
        Texts cameraArguments;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {"found", {"Integrated Camera", "USB 摄像头"}, "USB 摄像头", "", {"1"}, {}},
        {"found in another place",
         {"USB 摄像头", "Integrated Camera"},
         "USB 摄像头",
         "1",
         {"0"},
         {}},
        {"gone",
         {"Integrated Camera"},
         "USB 摄像头",
         "1",
         {"0"},
         "[摄像头“USB 摄像头”未找到，已改用第一个摄像头]"},
        {"no camera at all",
         {},
         "USB 摄像头",
         "",
         {"0"},
         "[摄像头“USB 摄像头”未找到，已改用第一个摄像头]"},
        {"no name: the number", {"Integrated Camera", "USB 摄像头"}, "", "1", {"1"}, {}},
        {"neither", {"Integrated Camera"}, "", "", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake::FakePlatform fx;
        fx.cameras.plugged = c.plugged;
        fx.registry.values[settingPath("cameraname")] = {RegistryValue::Status::Text, c.cameraName};
        fx.registry.values[settingPath("camera")] = {RegistryValue::Status::Text, c.camera};
        MainForm f(fx.services);
        f.load();
        fx.clock.advance(1);
        ASSERT_EQ(fx.children.started.size(), 1u);
        const Texts& args = fx.children.started[0].args;
        EXPECT_EQ(Texts(args.begin() + 3, args.end()), c.cameraArguments);
        Texts cameraLines;
        for (const std::string& item : f.CodeList.items()) {
            if (item.starts_with("[摄像头")) cameraLines.push_back(item);
        }
        EXPECT_EQ(cameraLines, c.line ? Texts{*c.line} : Texts{});
        EXPECT_EQ(fx.cameras.lists, std::string(c.cameraName).empty() ? 0 : 1)
            << "the system is asked only for a name";
    }
}

TEST_F(OptionsWindowTest, ANumberTypedOnTheMorePanelChoosesByNumberAgain) {
    fx.cameras.plugged = {"Integrated Camera", "USB 摄像头"};
    store("cameraname", "USB 摄像头");
    MainForm& f = started();
    EXPECT_EQ(f.options.camera, "1");
    f.bset.click();
    f.more.click();
    EXPECT_EQ(f.tcamera.text(), "1") << "the number the name stands for";
    f.tcamera.typed("0");
    f.moreok.click();
    EXPECT_EQ(stored("camera"), "0");
    EXPECT_EQ(stored("cameraname"), "");
    EXPECT_EQ(storedOptions().camera, "0");
}

}  // namespace
}  // namespace tolvira::test
