#include "settings/StoredSettings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"

namespace tolvira {
namespace {

using Panel = StoredSetting::Panel;
using Kind = StoredSetting::Kind;
using Texts = std::vector<std::string>;

// Every option away from its default.
Options changedOptions() {
    Options o;
    o.typeCode = false;
    o.copyCode = true;
    o.showVideo = true;
    o.autoStart = true;
    o.completion = Completion::Tab;
    o.rescanSeconds = 9;
    o.keyDelayMs = 15;
    o.typeMode = TypeMode::Paste;
    o.prefix = "前";
    o.suffix = "-";
    o.camera = "2";
    o.beep = false;
    o.history = false;
    o.hotkey = "Ctrl+F5";
    o.cameraName = "USB 摄像头";
    o.duplicates = DuplicateRule::Reject;
    o.duplicateScope = DuplicateScope::History;
    o.kindsOff = "code39,qr";
    o.pattern = "^(\\d+)-";
    o.patternTemplate = "N$0";  // valid with any pattern, so each key can be missing alone
    o.gs1 = Gs1Style::Replaced;
    o.gs1Separator = "|";
    return o;
}

class StoredSettingsTest : public ::testing::Test {
  protected:
    std::string path(std::string_view key) const {
        return fake::FakeRegistry::path(Hive::CurrentUser, kSettingsKey, std::string(key));
    }
    void store(std::string_view key, const std::string& text) {
        registry.values[path(key)] = {RegistryValue::Status::Text, text};
    }
    void storeAll(const Options& o) {
        saveSettings(settings, o, Panel::Settings);
        saveSettings(settings, o, Panel::More);
        saveSettings(settings, o, Panel::Options);
        registry.writes.clear();
    }
    Options loaded(Options from = unloadedOptions(), bool runValue = false) {
        loadSettings(settings, from, [runValue] { return runValue; });
        return from;
    }

    fake::FakeRegistry registry;
    SettingsStore settings{registry};
};

TEST_F(StoredSettingsTest, KeysAreUniqueAndEachRowIsShownOnOnePanel) {
    std::set<std::string_view> keys;
    for (const StoredSetting& row : storedSettings()) {
        EXPECT_TRUE(keys.insert(row.key).second) << row.key;
        EXPECT_FALSE(row.caption.empty()) << row.key;
        EXPECT_EQ(&storedSetting(row.key), &row);
    }
    EXPECT_THROW(storedSetting("OldBar"), std::out_of_range) << "the poll's own key";
}

// A fallback kept beside the field's initialiser would disagree with it for some key.
TEST_F(StoredSettingsTest, EachAbsentKeyAloneGivesItsFieldsDefault) {
    for (const StoredSetting& missing : storedSettings()) {
        if (missing.load == StoredSetting::Load::RunValue) continue;
        SCOPED_TRACE(std::string(missing.key));
        registry.values.clear();
        storeAll(changedOptions());
        // The 自动完成 keys share one field: the others, cleared, leave the missing one's say.
        for (const StoredSetting& row : storedSettings()) {
            if (missing.kind == Kind::Option && row.kind == Kind::Option) store(row.key, "False");
        }
        registry.values.erase(path(missing.key));
        const Options o = loaded(changedOptions(), true);
        for (const StoredSetting& row : storedSettings()) {
            const Options expected = &row == &missing ? Options{} : changedOptions();
            if (missing.kind == Kind::Option && row.kind == Kind::Option && &row != &missing)
                continue;
            EXPECT_EQ(row.text(o), row.text(expected)) << row.key;
        }
    }
}

TEST_F(StoredSettingsTest, SavedOptionsLoadBackTheSame) {
    Options noneChosen;
    noneChosen.completion = Completion::NoneChosen;
    for (const Options& o : {Options{}, changedOptions(), noneChosen}) {
        registry.values.clear();
        storeAll(o);
        EXPECT_EQ(loaded(unloadedOptions(), o.autoStart), o);
    }
}

TEST_F(StoredSettingsTest, ABadFirstKeyEndsTheFirstKeysOnlyAndTheNewerStillLoad) {
    storeAll(changedOptions());
    store("c3", "abc");
    const Options o = loaded(unloadedOptions(), true);
    EXPECT_FALSE(o.typeCode) << "c1 loaded";
    EXPECT_TRUE(o.copyCode) << "c2 loaded";
    EXPECT_FALSE(o.showVideo);
    EXPECT_FALSE(o.autoStart) << "the Run value comes after c3";
    EXPECT_EQ(o.completion, Completion::NoKey);
    EXPECT_EQ(o.keyDelayMs, 15);
    EXPECT_EQ(o.hotkey, "Ctrl+F5");
}

// Each bad text falls back alone: the keys around it still load.
TEST_F(StoredSettingsTest, ABadTextOfAnAdvancedOptionKeepsItsDefaultAlone) {
    struct Case {
        const char* key;
        std::string text;
        std::string loaded;  // the row's text after the load
    };
    const Case cases[] = {
        {"duplicates", "3", "0"},
        {"dupscope", "-1", "0"},
        {"gs1", "x", "0"},
        {"pattern", "(", ""},
        {"template", "$2", ""},  // the stored pattern has one group
        {"template", "$1-$$", "$1-$$"},
        {"kindsoff", "qr, code39,,gone", "code39,qr"},
        {"cameraname", std::string(257, 'c'), ""},
        {"cameraname", "USB 摄像头", "USB 摄像头"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.text);
        registry.values.clear();
        store("pattern", "^(\\d+)");
        store("gs1sep", "/");
        store(c.key, c.text);
        const Options o = loaded();
        EXPECT_EQ(storedSetting(c.key).text(o), c.loaded);
        EXPECT_EQ(o.gs1Separator, "/");
        if (std::string(c.key) != "pattern") {
            EXPECT_EQ(o.pattern, "^(\\d+)");
        }
    }
}

TEST_F(StoredSettingsTest, EachPanelWritesItsOwnKeysInTableOrder) {
    const std::pair<Panel, Texts> cases[] = {
        {Panel::Settings, {"c1", "c2", "c3", "c4", "o0", "o1", "o2"}},
        {Panel::More,
         {"rescan", "keydelay", "typemode", "prefix", "suffix", "camera", "beep", "history",
          "hotkey"}},
        {Panel::Options,
         {"cameraname", "duplicates", "dupscope", "kindsoff", "pattern", "template", "gs1",
          "gs1sep"}},
    };
    for (const auto& [panel, keys] : cases) {
        registry.writes.clear();
        saveSettings(settings, changedOptions(), panel);
        Texts expected;
        for (const std::string& key : keys) expected.push_back(path(key));
        EXPECT_EQ(registry.writes, expected);
    }
}

std::string panelName(Panel panel) {
    switch (panel) {
        case Panel::Settings:
            return "设置";
        case Panel::More:
            return "更多设置";
        case Panel::Options:
            return "高级选项";
    }
    return {};
}

// The README's cell for what a key may hold and its default.
std::string valuesCell(const StoredSetting& row) {
    const std::string d = row.defaultText();
    const std::string fallback = d.empty() ? "(empty)" : "(`" + d + "`)";
    switch (row.kind) {
        case Kind::Check:
            return row.load == StoredSetting::Load::RunValue ? "`1`, `0` (never read)"
                                                             : "`1`, `0` " + fallback;
        case Kind::Option:
            return "`True`, `False` " + fallback;
        case Kind::Number:
            return "0-" + std::to_string(row.high) + " " + fallback;
        case Kind::Choice: {
            std::string cell;
            for (size_t i = 0; i < row.choices.size(); ++i) {
                cell += (i ? ", `" : "`") + std::to_string(i) + "`";
            }
            return cell + " " + fallback;
        }
        case Kind::Text:
        case Kind::Kinds:
        case Kind::Camera:
            return std::string(row.values) + " " + fallback;
    }
    return {};
}

TEST_F(StoredSettingsTest, TheReadmesOptionsTableIsTheTable) {
    std::ifstream readme(TOLVIRA_SOURCE_DIR "/README.md");
    ASSERT_TRUE(readme) << "README.md not found";
    Texts rows;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.starts_with("| Caption | Key | Panel |")) inTable = true;
        if (inTable && !line.starts_with("|")) break;
        if (inTable) rows.push_back(line);
    }
    ASSERT_GE(rows.size(), 2u) << "the options table's heading";
    rows.erase(rows.begin(), rows.begin() + 2);
    Texts expected;
    for (const StoredSetting& row : storedSettings()) {
        expected.push_back("| " + std::string(row.caption) + " | `" + std::string(row.key) +
                           "` | " + panelName(row.panel) + " | " +
                           valuesCell(row) + " |");
    }
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(rows[i].starts_with(expected[i]))
            << "README: " << rows[i] << "\ntable:  " << expected[i];
    }
}

}  // namespace
}  // namespace tolvira
