#include <gtest/gtest.h>

#include "engine/EngineExit.h"
#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

constexpr const char* kReinit = "[图像识别模块初始化]";
constexpr const char* kNoCamera = "[未找到摄像头，图像识别模块已退出]";
constexpr const char* kErrFile = "C:\\Scan\\zbarcam.err";
// What zbarcam.exe writes when there is no camera.
constexpr const char* kNoCameraOutput =
    "ERROR: zbar processor in _zbar_video_open():\r\n"
    "    invalid request: failed to connect to camera '/dev/video0'\r\n";

struct NoticeCase {
    std::string errorOutput;
    std::string notice;
};

class EngineExitNoticeTest : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(EngineExitNoticeTest, LastErrorLineBecomesOneShortLine) {
    EXPECT_EQ(engineExitNotice(GetParam().errorOutput), GetParam().notice);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, EngineExitNoticeTest,
    ::testing::Values(NoticeCase{kNoCameraOutput, kNoCamera},
                      NoticeCase{"WARNING: a\nFAILED TO CONNECT TO CAMERA\n\n", kNoCamera},
                      NoticeCase{"", "[图像识别模块已退出]"},
                      NoticeCase{"\r\n  \r\n", "[图像识别模块已退出]"},
                      NoticeCase{"first\r\nERROR: out of memory  \r\n",
                                 "[图像识别模块已退出：ERROR: out of memory]"},
                      // A long line is cut at a character's start, never inside one.
                      NoticeCase{std::string(78, 'x') + "\xE9\x94\x99tail",
                                 "[图像识别模块已退出：" + std::string(78, 'x') + "...]"}));

class EngineExitTest : public FormTest {
  protected:
    MainForm& launched() {
        MainForm& f = started();
        advance(1);
        return f;
    }
    // The engine writes its last words and ends.
    void engineEnds(const char* errorOutput) {
        fx.files.put(kErrFile, errorOutput);
        fx.processes.processes.clear();
    }
    int count(const std::string& item) {
        const Items& items = form().CodeList.items();
        return static_cast<int>(std::count(items.begin(), items.end(), item));
    }
};

TEST_F(EngineExitTest, EngineGoneSoonAfterTheLaunchIsExplainedOnceAtTheNextTick) {
    MainForm& f = launched();
    engineEnds(kNoCameraOutput);
    advance(1998);  // the monitor's first tick is 2000 ms after start-up
    EXPECT_EQ(f.CodeList.items(), Items{kLoading});
    advance(1);
    EXPECT_EQ(f.CodeList.items(), (Items{kNoCamera, kLoading}));
    advance(8000);
    EXPECT_EQ(count(kNoCamera), 1) << "told once per launch";
    EXPECT_EQ(f.TCCam.caption(), "图像识别模块未运行");
}

TEST_F(EngineExitTest, OnlyTheLastLineOfALongOutputIsTold) {
    MainForm& f = launched();
    engineEnds((std::string(100000, 'w') + "\r\nERROR: the last words\r\n").c_str());
    advance(2000);
    EXPECT_EQ(f.CodeList.items().front(), "[图像识别模块已退出：ERROR: the last words]");
}

TEST_F(EngineExitTest, EngineEndingLongAfterItsLaunchIsNotExplained) {
    MainForm& f = launched();
    advance(10000);
    engineEnds(kNoCameraOutput);
    advance(4000);
    EXPECT_EQ(f.CodeList.items(), Items{kLoading});
}

TEST_F(EngineExitTest, InitialiseTriesAgainAndExplainsAgain) {
    MainForm& f = launched();
    engineEnds(kNoCameraOutput);
    advance(2000);
    f.restart.click();
    advance(1000);
    EXPECT_EQ(f.CodeList.items(), (Items{kReinit, kNoCamera, kLoading}));
    ASSERT_EQ(fx.children.started.size(), 2u);
    EXPECT_EQ(fx.children.started[1].errorFile, kErrFile) << "the new engine's own error file";
    engineEnds("ERROR: still none\r\n");
    advance(2000);
    EXPECT_EQ(f.CodeList.items().front(), "[图像识别模块已退出：ERROR: still none]");
}

TEST_F(EngineExitTest, AnEngineEndedByInitialiseIsNotExplained) {
    MainForm& f = launched();
    advance(3499);
    f.restart.click();  // the engine is ended now, relaunched at 4500
    advance(500);       // the monitor's tick at 4000 finds no engine
    EXPECT_EQ(f.TCCam.caption(), "图像识别模块未运行");
    advance(4000);
    EXPECT_EQ(f.CodeList.items(), (Items{kReinit, kLoading}));
}

TEST_F(EngineExitTest, NothingIsExplainedBeforeTheRelaunchHasStarted) {
    MainForm& f = launched();
    engineEnds(kNoCameraOutput);
    advance(2000);
    fx.worker.hold = true;
    f.restart.click();
    fx.worker.finishAll();
    advance(1000);  // the relaunch waits with the worker
    fx.worker.hold = true;
    advance(1000);
    EXPECT_EQ(count(kNoCamera), 1) << "the ended engine is not the new one";
    fx.worker.finishAll();
    engineEnds(kNoCameraOutput);
    advance(2000);
    EXPECT_EQ(count(kNoCamera), 2);
}

}  // namespace
}  // namespace tolvira::test
