#include <gtest/gtest.h>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

class ResultPollTest : public FormTest {
  protected:
    // Starts the program and lets the engine launch make a fresh, empty bar.dat.
    void engineWrites(const std::string& bytes) { fx.files.write(kBarDat, bytes); }
    Items codes() {
        Items out;
        for (const std::string& item : form().CodeList.items()) {
            if (item != kLoading) out.push_back(item);
        }
        return out;
    }
};

TEST_F(ResultPollTest, EachNewLineIsDeliveredOnceNewestOnTop) {
    running();
    engineWrites("QR-Code:abc\r\n");
    advance(100);
    engineWrites("QR-Code:abc\r\n");  // the same code shown again
    advance(100);
    engineWrites("EAN-13:4006381333931\r\n");
    advance(100);
    engineWrites("QR-Code:abc\r\n");  // again, after another code
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:abc", "EAN-13:4006381333931", "QR-Code:abc"}));
    EXPECT_EQ(oldBar(), "QR-Code:abc");
}

TEST_F(ResultPollTest, TwoCodesWithinOneTickAreBothDeliveredInOrder) {
    running();
    engineWrites("QR-Code:first\r\nQR-Code:second\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:second", "QR-Code:first"}));
}

TEST_F(ResultPollTest, ALineStillBeingWrittenWaitsForItsEnd) {
    running();
    engineWrites("QR-Code:12");
    advance(300);
    EXPECT_EQ(codes(), Items{});
    engineWrites("34\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:1234"}));
}

TEST_F(ResultPollTest, AFailedQueryOfTheFileDeliversNothingAgain) {
    running();
    engineWrites("QR-Code:a\r\nQR-Code:b\r\n");
    advance(100);
    fx.files.infoFails = true;
    advance(100);
    fx.files.infoFails = false;
    setOldBar("something else");  // as after the help panel's self-test
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:b", "QR-Code:a"}));
}

TEST_F(ResultPollTest, ALineTooLongIsNotedInDelistAndTheNextOneDelivered) {
    MainForm& f = running();
    engineWrites(Bytes(kLongestResultLine + 1, '7'));
    advance(200);  // one tick reads at most the longest line
    EXPECT_EQ(f.delist.items(), Items{kLineDroppedNote});
    engineWrites("7777\r\nQR-Code:next\r\n");
    advance(200);
    EXPECT_EQ(codes(), (Items{"QR-Code:next"}));
    const Items notes = f.delist.items();
    EXPECT_EQ(std::count(notes.begin(), notes.end(), kLineDroppedNote), 1) << "noted once";
}

TEST_F(ResultPollTest, FirstReadOfTheRunConsidersOnlyTheOldFilesLastLine) {
    fx.files.put(kBarDat, "QR-Code:old1\r\nQR-Code:old2\r\nQR-Code:last\r\n");
    setOldBar("QR-Code:last");
    form().poll.tick();
    EXPECT_EQ(codes(), Items{}) << "the last accepted line of the previous run";

    fake::FakePlatform other;
    other.files.put(kBarDat, "QR-Code:old1\r\nQR-Code:written after exit\r\n");
    other.registry.set(Hive::CurrentUser, kSettingsKey, "OldBar", "QR-Code:old1");
    MainForm f(other.services);
    f.poll.tick();
    EXPECT_EQ(f.CodeList.items(), (Items{"QR-Code:written after exit"}));
}

TEST_F(ResultPollTest, EngineLaunchDeletesTheOldFileAndEveryLineOfTheNewOneCounts) {
    fx.files.put(kBarDat, "QR-Code:old\r\n");
    fx.files.put("C:\\Scan\\sub\\bar.dat", "x\r\n");
    setOldBar("QR-Code:old");
    running();
    EXPECT_EQ(fx.files.removals, (Items{"C:\\Scan|bar.dat"}));
    EXPECT_EQ(fx.files.contents("C:\\Scan\\sub\\bar.dat"), nullptr);
    ASSERT_NE(fx.files.contents(kBarDat), nullptr);
    EXPECT_TRUE(fx.files.contents(kBarDat)->empty());
    engineWrites("QR-Code:one\r\nQR-Code:two\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:two", "QR-Code:one"}));
}

TEST_F(ResultPollTest, AnOldFileThatSurvivesTheLaunchKeepsTheLastLineRule) {
    // No engine could start, so the old lines are the previous run's, not new readings.
    fx.files.put(kBarDat, "QR-Code:old1\r\nQR-Code:old2\r\n");
    fx.files.files[kBarDat].undeletable = true;
    setOldBar("QR-Code:old2");
    running();
    EXPECT_TRUE(fx.children.started.empty());
    advance(300);
    EXPECT_EQ(codes(), Items{});
    EXPECT_TRUE(fx.keyboard.batches.empty());
    engineWrites("QR-Code:new\r\n");  // an engine left running writes on
    advance(100);
    EXPECT_EQ(codes(), Items{"QR-Code:new"});
}

TEST_F(ResultPollTest, RecreatedFileIsReadFromItsBeginning) {
    running();
    engineWrites("QR-Code:a\r\nQR-Code:b\r\n");
    advance(100);
    fx.files.put(kBarDat, "QR-Code:c\r\n");  // a restarted engine's new file
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:c", "QR-Code:b", "QR-Code:a"}));
}

TEST_F(ResultPollTest, PausedCodesAreSkippedAndResumeTakesTheLastLineOnly) {
    MainForm& f = running();
    f.bp.click();
    EXPECT_FALSE(ticking("GetCode"));
    EXPECT_EQ(f.bp.caption(), "开始扫码");
    engineWrites("QR-Code:p1\r\nQR-Code:p2\r\nQR-Code:p3\r\n");
    advance(1000);
    EXPECT_EQ(codes(), Items{});
    f.bp.click();
    EXPECT_TRUE(ticking("GetCode"));
    EXPECT_EQ(f.bp.caption(), "停止扫码");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:p3"}));
    engineWrites("QR-Code:after\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:after", "QR-Code:p3"}));
}

TEST_F(ResultPollTest, AFileLockedAtResumeStillGivesOnlyItsLastLine) {
    MainForm& f = running();
    f.bp.click();
    engineWrites("QR-Code:p1\r\nQR-Code:p2\r\n");
    fx.files.files[kBarDat].locked = true;
    f.bp.click();
    advance(300);
    fx.files.files[kBarDat].locked = false;
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:p2"}));
}

TEST_F(ResultPollTest, AnOldFileLockedAtStartIsNotReplayed) {
    fx.processes.add("zbarcam.exe");  // left running by the previous run, so its file stays
    fx.files.put(kBarDat, "QR-Code:old1\r\nQR-Code:old2\r\n");
    fx.files.files[kBarDat].locked = true;
    setOldBar("QR-Code:old2");
    running();
    advance(300);
    fx.files.files[kBarDat].locked = false;
    advance(100);
    EXPECT_EQ(codes(), Items{});
}

TEST_F(ResultPollTest, ResumeWithNothingNewDeliversNothing) {
    MainForm& f = running();
    engineWrites("QR-Code:x\r\n");
    advance(100);
    f.bp.click();
    f.bp.click();
    advance(500);
    EXPECT_EQ(codes(), (Items{"QR-Code:x"}));
}

TEST_F(ResultPollTest, WelcomeLineShowsSuccessAndDeliversNothing) {
    MainForm& f = running();
    engineWrites("QR-Code:Welcome to the Vantrel\r\n");
    advance(100);
    EXPECT_TRUE(f.hs.visible());
    EXPECT_EQ(codes(), Items{});
    EXPECT_EQ(oldBar(), "QR-Code:Welcome to the Vantrel");
    engineWrites("QR-Code:Welcome to the Vantrel\r\n");
    advance(100);
    EXPECT_EQ(codes(), Items{});
}

TEST_F(ResultPollTest, SelfTestLineIsRememberedButNotDelivered) {
    running();
    engineWrites("[Tolvria]:TEST\r\n");
    advance(100);
    EXPECT_EQ(codes(), Items{});
    EXPECT_EQ(oldBar(), "[Tolvria]:TEST");
}

TEST_F(ResultPollTest, EmptyLinesAndBareLineFeeds) {
    running();
    engineWrites("\r\n\r\n");
    advance(100);
    EXPECT_EQ(codes(), Items{});
    engineWrites("Code-128:ab\ncd\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"Code-128:abcd"}));
}

TEST_F(ResultPollTest, ColonInsideTheDataStaysInTheLine) {
    running();
    engineWrites("QR-Code:http://a.example/x?y=1:2\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:http://a.example/x?y=1:2"}));
}

TEST_F(ResultPollTest, AStoreThatCantKeepOldBarDoesNotRepeatTheCode) {
    running();
    fx.registry.writeFails = true;
    engineWrites("QR-Code:once\r\n");
    advance(1000);
    EXPECT_EQ(codes(), (Items{"QR-Code:once"}));
}

TEST_F(ResultPollTest, AStoreThatCantBeReadStillAcceptsNewCodesOnce) {
    fx.registry.readFails = true;
    running();
    engineWrites("QR-Code:a\r\nQR-Code:a\r\n");
    advance(500);
    EXPECT_EQ(codes(), (Items{"QR-Code:a"}));
}

TEST_F(ResultPollTest, MissingOrUnreadableFileChangesNothing) {
    running();
    engineWrites("QR-Code:a\r\n");
    advance(100);
    fx.files.files[kBarDat].locked = true;
    engineWrites("QR-Code:b\r\n");
    advance(300);
    EXPECT_EQ(codes(), (Items{"QR-Code:a"}));
    fx.files.files[kBarDat].locked = false;
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:b", "QR-Code:a"}));
    fx.files.remove(kBarDat);
    advance(300);
    EXPECT_EQ(codes().size(), 2u);
}

TEST_F(ResultPollTest, ByteByByteWritingNeverDeliversAPartialCode) {
    running();
    for (char c : std::string("QR-Code:slow writer\r\n")) {
        engineWrites(std::string(1, c));
        advance(100);
    }
    EXPECT_EQ(codes(), (Items{"QR-Code:slow writer"}));
}

TEST_F(ResultPollTest, ABurstIsDeliveredWholeAndInOrder) {
    running();
    std::string burst;
    for (int i = 0; i < 10000; ++i) burst += "Code-128:" + std::to_string(i) + "\r\n";
    engineWrites(burst);
    advance(100);
    const Items got = codes();
    ASSERT_EQ(got.size(), 10000u);
    EXPECT_EQ(got.front(), "Code-128:9999");
    EXPECT_EQ(got.back(), "Code-128:0");
}

TEST_F(ResultPollTest, ASixteenMegabyteLineArrivesWholeAfterItsSlowWriting) {
    running();
    const std::string data(16 << 20, 'x');
    for (size_t at = 0; at < data.size(); at += 1 << 20) {
        engineWrites(data.substr(at, 1 << 20));
        advance(100);
    }
    EXPECT_EQ(codes(), Items{});
    engineWrites("\r\n");
    advance(100);
    ASSERT_EQ(codes().size(), 1u);
    EXPECT_EQ(codes()[0].size(), data.size());
}

TEST_F(ResultPollTest, AFolderInPlaceOfTheFileIsNotRead) {
    running();
    fx.files.files[kBarDat] = {"QR-Code:in a folder\r\n", 77, true, false};
    advance(300);
    EXPECT_EQ(codes(), Items{});
    fx.files.put(kBarDat, "QR-Code:file again\r\n");
    advance(100);
    EXPECT_EQ(codes(), Items{"QR-Code:file again"});
}

class EngineLaunchTest : public ResultPollTest {};

TEST_F(EngineLaunchTest, LaunchesOnceFromTheProgramFolderWithoutAShell) {
    MainForm& f = running();
    ASSERT_EQ(fx.children.started.size(), 1u);
    EXPECT_EQ(fx.children.started[0],
              (ChildSpec{"C:\\Scan\\zbarcam.exe",
                         {"-Sqrcode.binary", "-Stest-inverted", "--escape"},
                         "C:\\Scan\\bar.dat",
                         "C:\\Scan\\zbarcam.err"}))
        << "standard error kept beside bar.dat";
    EXPECT_EQ(f.CodeList.items(), (Items{kLoading}));
    EXPECT_FALSE(ticking("DelayLoad"));
    advance(10000);
    EXPECT_EQ(fx.children.started.size(), 1u);
}

TEST_F(EngineLaunchTest, DeletionAndStartWaitForTheWorkerWhileTheWindowGoesOn) {
    fx.files.put(kBarDat, "QR-Code:old\r\nQR-Code:written after exit\r\n");
    fx.files.put("C:\\Scan\\sub\\bar.dat", "x\r\n");
    setOldBar("QR-Code:old");
    fx.worker.hold = true;
    MainForm& f = running();
    EXPECT_EQ(f.CodeList.items(), (Items{kLoading}));
    EXPECT_TRUE(fx.files.removals.empty());
    EXPECT_TRUE(fx.children.started.empty());
    advance(100);  // the poll meanwhile reads the old file by the last-line rule
    EXPECT_EQ(codes(), (Items{"QR-Code:written after exit"}));

    fx.worker.finishAll();
    EXPECT_EQ(fx.files.removals, (Items{"C:\\Scan|bar.dat"}));
    EXPECT_EQ(fx.children.started.size(), 1u);
    engineWrites("QR-Code:one\r\nQR-Code:two\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:two", "QR-Code:one", "QR-Code:written after exit"}));
}

TEST_F(EngineLaunchTest, AnEngineThatCouldNotStartLeavesTheLastLineRuleOn) {
    fx.children.fails = true;
    running();
    fx.files.put(kBarDat, "QR-Code:a\r\nQR-Code:b\r\n");  // another program's engine
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:b"}));
}

TEST_F(EngineLaunchTest, AnEngineLeftRunningIsKeptAndNoSecondOneStarts) {
    fx.processes.add("ZBARCAM.EXE");
    fx.files.put(kBarDat, "QR-Code:kept\r\n");
    MainForm& f = running();
    EXPECT_TRUE(fx.children.started.empty());
    EXPECT_TRUE(fx.files.removals.empty());
    EXPECT_EQ(f.CodeList.items(), (Items{kLoading}));
}

TEST_F(EngineLaunchTest, ProcessesWhoseNamesMerelyContainTheEngineDontCount) {
    fx.processes.add("cam.exe");
    fx.processes.add("img.exe");
    fx.processes.add("");
    fx.processes.add("zbarimg.exe");
    fx.processes.add("myzbarcam.exe");
    running();
    EXPECT_EQ(fx.children.started.size(), 1u);
}

TEST_F(EngineLaunchTest, UnreadableProcessListLetsTheLaunchGoAhead) {
    fx.processes.listFails = true;
    running();
    EXPECT_EQ(fx.children.started.size(), 1u);
}

TEST_F(EngineLaunchTest, FolderWithBlanksAndShellCharactersIsUsedAsItIs) {
    fx.services.env.programFolder = "C:\\R&D %TEMP% x";
    running();
    ASSERT_EQ(fx.children.started.size(), 1u);
    EXPECT_EQ(fx.children.started[0].exe, "C:\\R&D %TEMP% x\\zbarcam.exe");
    EXPECT_EQ(fx.children.started[0].outputFile, "C:\\R&D %TEMP% x\\bar.dat");
    EXPECT_EQ(fx.files.removals, (Items{"C:\\R&D %TEMP% x|bar.dat"}));
    fx.files.write("C:\\R&D %TEMP% x\\bar.dat", "QR-Code:ok\r\n");
    advance(100);
    EXPECT_EQ(codes(), (Items{"QR-Code:ok"}));
}

TEST_F(EngineLaunchTest, DriveRootFolderGetsNoDoubleBackslash) {
    fx.services.env.programFolder = "D:\\";
    running();
    ASSERT_EQ(fx.children.started.size(), 1u);
    EXPECT_EQ(fx.children.started[0].exe, "D:\\zbarcam.exe");
    EXPECT_EQ(fx.children.started[0].outputFile, "D:\\bar.dat");
}

}  // namespace
}  // namespace tolvira::test
