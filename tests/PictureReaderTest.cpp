#include <gtest/gtest.h>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

using Texts = std::vector<std::string>;
constexpr const char* kImageEngine = "zbarimg.exe";
constexpr const char* kPicture = "D:\\photo.png";

Texts engineArgs(const std::string& picture) {
    return {"-D", "-q", "-Sqrcode.binary", "-Stest-inverted", "--escape", picture};
}

class PictureReaderTest : public FormTest {
  protected:
    void drop(const Texts& files) { form().listDrop(files); }
    // The image engine writes its output and ends.
    void engineFinishes(const Bytes& output) {
        fx.files.write(kBar2Dat, output);
        std::erase_if(fx.processes.processes,
                      [](const ProcessEntry& p) { return p.exeName == kImageEngine; });
    }
    // The first ReadP tick after a drop.
    void waitOneTick() { advance(1500); }
    std::string log() const {
        const Bytes* data = fx.files.contents(kDataTxt);
        return data ? *data : "<missing>";
    }
};

TEST_F(PictureReaderTest, DropEndsTheOldRunDeletesItsResultAndStartsTheEngine) {
    form();
    const uint32_t earlier = fx.processes.add(kImageEngine);
    fx.files.put(kBar2Dat, "QR-Code:old\r\n");
    fx.files.put("C:\\Scan\\sub\\bar2.dat", "QR-Code:old\r\n");
    drop({kPicture, "D:\\second.png"});

    EXPECT_EQ(fx.processes.terminated, std::vector<uint32_t>{earlier});
    EXPECT_EQ(fx.files.removals, Texts{"C:\\Scan|bar2.dat"});
    EXPECT_EQ(fx.files.contents("C:\\Scan\\sub\\bar2.dat"), nullptr);
    ASSERT_EQ(fx.children.started.size(), 1u);
    EXPECT_EQ(fx.children.started[0], (ChildSpec{kImageEngine, engineArgs(kPicture), kBar2Dat}))
        << "the first file only; the engine found on the search path";
    ASSERT_NE(fx.files.contents(kBar2Dat), nullptr);
    EXPECT_TRUE(fx.files.contents(kBar2Dat)->empty()) << "made afresh for this run";
    EXPECT_TRUE(ticking("ReadP"));
}

TEST_F(PictureReaderTest, EngineInTheProgramFolderIsPreferred) {
    fx.files.put("C:\\Scan\\zbarimg.exe", "MZ");
    drop({kPicture});
    ASSERT_EQ(fx.children.started.size(), 1u);
    EXPECT_EQ(fx.children.started[0].exe, "C:\\Scan\\zbarimg.exe");
}

TEST_F(PictureReaderTest, AnyFileNameReachesTheEngineAsOneArgument) {
    const Texts names{
        "C:\\My Pictures\\a b.png",
        "D:\\x&y|z^w.png",
        "D:\\100%!done%PATH%.png",
        "D:\\(1) [2].png",
        "D:\\照片\\二维码 é.png",
        "D:\\a\" & calc & \".png",
        "D:\\" + std::string(300, 'n') + ".png",
    };
    for (const std::string& name : names) drop({name});
    ASSERT_EQ(fx.children.started.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(fx.children.started[i].args, engineArgs(names[i]));
        EXPECT_EQ(fx.children.started[i].exe, kImageEngine);
    }
}

TEST_F(PictureReaderTest, ResultIsListedAndLoggedOnceTheEngineHasEnded) {
    MainForm& f = form();
    drop({kPicture});
    waitOneTick();
    EXPECT_TRUE(ticking("ReadP")) << "the engine still runs";
    EXPECT_TRUE(f.CodeList.items().empty());

    engineFinishes("QR-Code:abc\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:abc"});
    EXPECT_EQ(log(), "abc\r\n");
    EXPECT_FALSE(ticking("ReadP"));

    advance(6000);
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:abc"}) << "taken once";
}

TEST_F(PictureReaderTest, ResultIsNeverTypedCopiedOrComparedWithTheLastCameraCode) {
    MainForm& f = form();
    f.Check2.setValue(1);
    f.o1.setSelected(true);
    setOldBar("QR-Code:abc");
    drop({kPicture});
    engineFinishes("QR-Code:abc\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:abc"});
    EXPECT_TRUE(fx.keyboard.batches.empty());
    EXPECT_EQ(fx.clipboard.changes, 0);
    EXPECT_TRUE(f.delist.items().empty());
    EXPECT_EQ(oldBar(), "QR-Code:abc");
}

TEST_F(PictureReaderTest, SecondDropWhileWaitingTakesOnlyTheSecondResult) {
    MainForm& f = form();
    drop({"D:\\first.png"});
    advance(1000);
    fx.files.write(kBar2Dat, "QR-Code:first\r\n");  // written, but the engine hasn't ended
    drop({"D:\\second.png"});
    EXPECT_EQ(fx.processes.terminated.size(), 1u);
    EXPECT_TRUE(ticking("ReadP"));

    advance(500);  // the first drop's tick: the second engine still runs
    EXPECT_TRUE(f.CodeList.items().empty());
    engineFinishes("QR-Code:second\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:second"});
    EXPECT_EQ(log(), "second\r\n");
    EXPECT_FALSE(ticking("ReadP"));
}

TEST_F(PictureReaderTest, NoTickTakesTheOldResultWhileTheDropsStartIsPending) {
    MainForm& f = form();
    fx.files.put(kBar2Dat, "QR-Code:old\r\n");
    fx.worker.hold = true;
    drop({kPicture});
    EXPECT_TRUE(fx.children.started.empty()) << "the drop leaves the work to the worker";
    advance(4500);
    EXPECT_TRUE(f.CodeList.items().empty());
    fx.worker.finishAll();
    EXPECT_TRUE(ticking("ReadP"));
    engineFinishes("QR-Code:new\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:new"});
}

TEST_F(PictureReaderTest, SecondDropPendingBehindTheFirstKeepsTheFirstResultOut) {
    MainForm& f = form();
    fx.worker.hold = true;
    drop({"D:\\first.png"});
    fx.worker.finishNext();
    drop({"D:\\second.png"});
    engineFinishes("QR-Code:first\r\n");
    waitOneTick();
    EXPECT_TRUE(f.CodeList.items().empty()) << "the second drop is still pending";
    fx.worker.finishAll();
    engineFinishes("QR-Code:second\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:second"});
    EXPECT_EQ(log(), "second\r\n");
}

TEST_F(PictureReaderTest, ADropWhileTheCameraLaunchIsPendingWaitsItsTurn) {
    fx.worker.hold = true;
    started();
    advance(1);
    drop({kPicture});
    fx.worker.finishNext();
    EXPECT_EQ(fx.children.started.size(), 1u);
    EXPECT_FALSE(ticking("ReadP"));
    fx.worker.finishNext();
    ASSERT_EQ(fx.children.started.size(), 2u);
    EXPECT_EQ(fx.children.started[1].exe, kImageEngine);
    EXPECT_TRUE(ticking("ReadP"));
}

TEST_F(PictureReaderTest, PictureWithoutCodeListsAndLogsNothing) {
    MainForm& f = form();
    drop({kPicture});
    engineFinishes("");
    waitOneTick();
    EXPECT_TRUE(f.CodeList.items().empty());
    EXPECT_EQ(log(), "<missing>");
    EXPECT_FALSE(ticking("ReadP"));
}

TEST_F(PictureReaderTest, MissingResultEndsTheWait) {
    MainForm& f = form();
    drop({kPicture});
    engineFinishes("QR-Code:abc\r\n");
    fx.files.remove(kBar2Dat);
    waitOneTick();
    EXPECT_TRUE(f.CodeList.items().empty());
    EXPECT_FALSE(ticking("ReadP"));
}

TEST_F(PictureReaderTest, EngineThatCouldNotStartEndsTheWaitWithoutResult) {
    MainForm& f = form();
    fx.files.put(kBar2Dat, "QR-Code:old\r\n");
    fx.children.fails = true;
    drop({kPicture});
    EXPECT_TRUE(ticking("ReadP"));
    waitOneTick();
    EXPECT_TRUE(f.CodeList.items().empty()) << "the old result was deleted by the drop";
    EXPECT_FALSE(ticking("ReadP"));
}

TEST_F(PictureReaderTest, OnlyTheFirstLineIsTaken) {
    MainForm& f = form();
    drop({kPicture});
    engineFinishes("QR-Code:one\r\nEAN-13:4006381333931\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:one"});
    EXPECT_EQ(log(), "one\r\n");

    drop({kPicture});
    engineFinishes("QR-Code:no line end");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items().front(), "QR-Code:no line end");
}

TEST_F(PictureReaderTest, ColonsInsideTheDataStayInTheLoggedCode) {
    MainForm& f = form();
    drop({kPicture});
    engineFinishes("QR-Code:http://example.com:8080/a:b\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:http://example.com:8080/a:b"});
    EXPECT_EQ(log(), "http://example.com:8080/a:b\r\n");
}

TEST_F(PictureReaderTest, FirstLineWithoutColonIsListedButNotLogged) {
    MainForm& f = form();
    drop({kPicture});
    engineFinishes("no colon\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"no colon"});
    EXPECT_EQ(log(), "");
}

TEST_F(PictureReaderTest, OutputIsDecodedLikeTheCameraLinesAndLoggedAsRead) {
    MainForm& f = form();
    drop({kPicture});
    engineFinishes("QR-Code:\xE4\xB8\xAD\xE6\x96\x87\r\n");
    waitOneTick();
    drop({kPicture});
    engineFinishes("QR-Code:\xD6\xD0\xCE\xC4\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(),
              (Texts{"QR-Code:\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "QR-Code:中文"}));
    EXPECT_EQ(log(), "\xE4\xB8\xAD\xE6\x96\x87\r\n\xD6\xD0\xCE\xC4\r\n");
}

TEST_F(PictureReaderTest, LockedLogKeepsThePictureResultUntilItCanBeWritten) {
    MainForm& f = form();
    fx.files.put(kDataTxt, "");
    fx.files.files[kDataTxt].locked = true;
    drop({kPicture});
    engineFinishes("QR-Code:abc\r\n");
    waitOneTick();
    EXPECT_EQ(f.log.waiting(), 1u);
    fx.files.files[kDataTxt].locked = false;
    advance(100);  // the result poll's tick
    EXPECT_EQ(log(), "abc\r\n");
}

TEST_F(PictureReaderTest, DropWithoutFilesStartsNothingAndNeverRetakesTheOldResult) {
    MainForm& f = form();
    drop({kPicture});
    engineFinishes("QR-Code:abc\r\n");
    waitOneTick();
    ASSERT_EQ(f.CodeList.items(), Texts{"QR-Code:abc"});

    const uint32_t other = fx.processes.add(kImageEngine);  // someone else's decode
    drop({});
    EXPECT_FALSE(ticking("ReadP"));
    EXPECT_EQ(fx.children.started.size(), 1u);
    EXPECT_TRUE(fx.processes.terminated.empty());
    EXPECT_NE(fx.files.contents(kBar2Dat), nullptr);
    fx.processes.end(other);
    advance(6000);
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:abc"});
    EXPECT_EQ(log(), "abc\r\n");
}

// The engine reads its command line in the ANSI code page (ASCII in the fake backend).
TEST_F(PictureReaderTest, NameOutsideTheAnsiCodePageReachesTheEngineAsAPlainCopy) {
    MainForm& f = form();
    const std::string picture = "D:\\图\\二维码.png";
    fx.files.put(picture, "PNG bytes");
    drop({picture});
    ASSERT_EQ(fx.children.started.size(), 1u);
    const ChildSpec& engine = fx.children.started[0];
    EXPECT_EQ(engine.args, engineArgs("picture.png"));
    EXPECT_EQ(engine.workingFolder, "C:\\Temp\\copy1");
    ASSERT_NE(fx.files.contents("C:\\Temp\\copy1\\picture.png"), nullptr);
    EXPECT_EQ(*fx.files.contents("C:\\Temp\\copy1\\picture.png"), "PNG bytes");

    engineFinishes("QR-Code:abc\r\n");
    waitOneTick();
    EXPECT_EQ(f.CodeList.items(), Texts{"QR-Code:abc"});
    EXPECT_EQ(fx.files.contents("C:\\Temp\\copy1\\picture.png"), nullptr) << "deleted afterwards";
    EXPECT_NE(fx.files.contents(picture), nullptr) << "the original stays";
}

TEST_F(PictureReaderTest, ACopyIsDeletedWhenTheNextDropEndsItsEngine) {
    fx.files.put("D:\\é.png", "one");
    fx.files.put("D:\\ü.png", "two");
    drop({"D:\\é.png"});
    drop({"D:\\ü.png"});
    EXPECT_EQ(fx.files.contents("C:\\Temp\\copy1\\picture.png"), nullptr);
    ASSERT_NE(fx.files.contents("C:\\Temp\\copy2\\picture.png"), nullptr);
    EXPECT_EQ(fx.children.started.back().workingFolder, "C:\\Temp\\copy2");
}

TEST_F(PictureReaderTest, PlainNamesAndUncopyableFilesGoAsTheyAre) {
    drop({kPicture});
    drop({"D:\\missing é.png"});
    ASSERT_EQ(fx.children.started.size(), 2u);
    for (const ChildSpec& engine : fx.children.started) EXPECT_EQ(engine.workingFolder, "");
    EXPECT_EQ(fx.children.started[1].args, engineArgs("D:\\missing é.png"))
        << "the engine then tells that it can't open it";
}

}  // namespace
}  // namespace tolvira::test
