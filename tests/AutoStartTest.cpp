#include <gtest/gtest.h>

#include <string>

#include "settings/AutoStart.h"
#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

constexpr const char* kFailure = "无法设置开机自动启动，您可能没有足够的权限，或被安全软件拦截！";

Environment environment(const std::string& folder, const std::string& exeName) {
    Environment env = fake::FakePlatform::defaultEnvironment();
    env.programFolder = folder;
    env.exeName = exeName;
    return env;
}

TEST(RunValueDataTest, ExecutableFollowedByTheArgument) {
    EXPECT_EQ(runValueData(environment("C:\\Apps\\Scan", "Scan")), "C:\\Apps\\Scan\\Scan.exe RUN");
}

TEST(RunValueDataTest, DriveRootKeepsTheSeparatorSoTwoBackslashesMeet) {
    EXPECT_EQ(runValueData(environment("C:\\", "Scan")), "C:\\\\Scan.exe RUN");
}

TEST(RunValueDataTest, PathWithBlanksIsQuoted) {
    EXPECT_EQ(runValueData(environment("C:\\Program Files\\Scan", "Scan")),
              "\"C:\\Program Files\\Scan\\Scan.exe\" RUN");
    EXPECT_EQ(runValueData(environment("C:\\Apps", "My Scan")), "\"C:\\Apps\\My Scan.exe\" RUN");
}

class AutoStartTest : public FormTest {
  protected:
    const RegistryValue* runValue() const {
        const auto it = fx.registry.values.find(runPath());
        return it == fx.registry.values.end() ? nullptr : &it->second;
    }
};

TEST_F(AutoStartTest, NoRunValueStartsUnchecked) {
    EXPECT_FALSE(started().Check4.checked());
}

TEST_F(AutoStartTest, AnyNonEmptyDataStartsChecked) {
    storeRunValue({RegistryValue::Status::Text, "D:\\Somewhere\\else.exe"});
    EXPECT_TRUE(started().Check4.checked());
}

TEST_F(AutoStartTest, AnExpandableOrMultiStringRunValueCountsToo) {
    storeRunValue({RegistryValue::Status::OtherText, "%ProgramFiles%\\Scan\\Tolvira.exe RUN"});
    EXPECT_TRUE(started().Check4.checked());
}

TEST_F(AutoStartTest, EmptyDataOtherTypeOrFailedReadStartUnchecked) {
    const RegistryValue values[] = {{RegistryValue::Status::Text, ""},
                                    {RegistryValue::Status::OtherText, ""},
                                    {RegistryValue::Status::OtherType, "x"},
                                    {RegistryValue::Status::Failed, {}}};
    for (const RegistryValue& value : values) {
        fake::FakePlatform other;
        other.registry.values[runPath()] = value;
        const AutoStart autoStart{other.registry, other.services.env, {}};
        EXPECT_FALSE(autoStart.LoadAutoStart()) << static_cast<int>(value.status);
    }
}

TEST_F(AutoStartTest, LoadingTouchesNeitherTheRunValueNorTheScreen) {
    storeRunValue({RegistryValue::Status::Text, "x"});
    MainForm& f = form();
    int clicks = 0;
    f.Check4.onClick = [&clicks, handler = f.Check4.onClick] {
        ++clicks;
        handler();
    };
    f.load();
    EXPECT_TRUE(f.Check4.checked());
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(fx.registry.writes.empty());
    EXPECT_TRUE(fx.dialogs.shown.empty());
}

TEST_F(AutoStartTest, CheckingWritesTheRunValueAtOnce) {
    MainForm& f = started();
    f.Check4.toggle();
    ASSERT_NE(runValue(), nullptr);
    EXPECT_EQ(runValue()->text, "C:\\Scan\\Tolvira.exe RUN");
    EXPECT_EQ(fx.registry.writes, (std::vector<std::string>{runPath()})) << "no wait for 确定";
    EXPECT_TRUE(fx.dialogs.shown.empty());
}

TEST_F(AutoStartTest, UncheckingDeletesTheRunValue) {
    storeRunValue({RegistryValue::Status::Text, "C:\\Scan\\Tolvira.exe RUN"});
    MainForm& f = started();
    f.Check4.toggle();
    EXPECT_EQ(runValue(), nullptr);
    EXPECT_FALSE(f.Check4.checked());
    EXPECT_TRUE(fx.dialogs.shown.empty());
}

TEST_F(AutoStartTest, RefusedWriteShowsTheMessageOnceBelowNoTopmostWindow) {
    MainForm& f = started();
    fx.window.calls.clear();
    fx.registry.writeFails = true;
    f.Check4.toggle();
    EXPECT_EQ(fx.dialogs.shown, (std::vector<std::string>{kFailure}));
    EXPECT_EQ(fx.dialogs.topmostWhileShown, (std::vector<bool>{false}));
    EXPECT_EQ(fx.window.calls, (std::vector<std::string>{"notopmost", "topmost"}));
    EXPECT_TRUE(f.Check4.checked()) << "the box keeps the user's state";
    EXPECT_EQ(runValue(), nullptr);
}

TEST_F(AutoStartTest, AfterARefusedWriteOkRecordsTheBoxAndTheNextStartShowsItUnchecked) {
    MainForm& f = started();
    fx.registry.writeFails = true;
    f.Check4.toggle();
    fx.registry.writeFails = false;
    f.setok.click();
    EXPECT_EQ(
        fx.registry.values[fake::FakeRegistry::path(Hive::CurrentUser, kSettingsKey, "c4")].text,
        "1");
    MainForm next(fx.services);
    next.load();
    EXPECT_FALSE(next.Check4.checked());
}

TEST_F(AutoStartTest, UncheckingWhenTheValueIsGoneShowsTheMessage) {
    storeRunValue({RegistryValue::Status::Text, "C:\\Scan\\Tolvira.exe RUN"});
    MainForm& f = started();
    fx.registry.values.erase(runPath());
    f.Check4.toggle();
    EXPECT_EQ(fx.dialogs.shown, (std::vector<std::string>{kFailure}));
    EXPECT_FALSE(f.Check4.checked());
    EXPECT_TRUE(fx.window.topmost);
}

TEST_F(AutoStartTest, DriveRootFolderGivesTwoBackslashes) {
    fx.services.env.programFolder = "C:\\";
    started().Check4.toggle();
    ASSERT_NE(runValue(), nullptr);
    EXPECT_EQ(runValue()->text, "C:\\\\Tolvira.exe RUN");
}

TEST_F(AutoStartTest, FolderWithBlanksIsQuoted) {
    fx.services.env.programFolder = "C:\\Program Files\\Scan";
    fx.services.env.exeName = "Scan";
    started().Check4.toggle();
    ASSERT_NE(runValue(), nullptr);
    EXPECT_EQ(runValue()->text, "\"C:\\Program Files\\Scan\\Scan.exe\" RUN");
}

}  // namespace
}  // namespace tolvira::test
