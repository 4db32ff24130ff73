#include <gtest/gtest.h>

#include "pipeline/ResultFileReader.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira {
namespace {

using Lines = std::vector<Bytes>;
constexpr const char* kPath = "C:\\Scan\\bar.dat";

class ResultFileReaderTest : public ::testing::Test {
  protected:
    Lines read(bool lastLineOnly = false) { return reader.readNew(files, lastLineOnly); }
    fake::FakeFiles files;
    ResultFileReader reader{kPath};
};

TEST_F(ResultFileReaderTest, TakesOnlyCompleteLinesAndEachOnce) {
    files.put(kPath, "a\r\nb\r\npart");
    EXPECT_EQ(read(), (Lines{"a", "\nb"}));
    EXPECT_EQ(read(), Lines{});
    files.write(kPath, "ial");
    EXPECT_EQ(read(), Lines{}) << "a line without its end waits";
    files.write(kPath, "\r\n");
    EXPECT_EQ(read(), (Lines{"\npartial"}));
    EXPECT_EQ(reader.lastLine(), Bytes("\npartial"));
}

TEST_F(ResultFileReaderTest, CrAloneEndsALineAndBareLfDoesNot) {
    files.put(kPath, "one\rtwo\nstill two\r");
    EXPECT_EQ(read(), (Lines{"one", "two\nstill two"}));
}

TEST_F(ResultFileReaderTest, ByteByByteWritesGiveTheSameLines) {
    const Bytes all = "QR-Code:x\r\nEAN-13:123\r\n";
    files.put(kPath, "");
    Lines got;
    for (char c : all) {
        files.write(kPath, Bytes(1, c));
        for (Bytes& l : read()) got.push_back(std::move(l));
    }
    EXPECT_EQ(got, (Lines{"QR-Code:x", "\nEAN-13:123"}));
}

TEST_F(ResultFileReaderTest, LastLineOnlyPassesOverOlderLines) {
    files.put(kPath, "old1\r\nold2\r\nlast\r\nhalf");
    EXPECT_EQ(read(true), (Lines{"\nlast"}));
    files.write(kPath, "\r\n");
    EXPECT_EQ(read(), (Lines{"\nhalf"})) << "the unfinished line is kept, not lost";
}

TEST_F(ResultFileReaderTest, LastLineOnlyFindsTheLineFarBackInALargeFile) {
    const Bytes longLine(300 * 1024, 'x');
    files.put(kPath, "first\r\n" + longLine + "\r\n");
    EXPECT_EQ(read(true), (Lines{"\n" + longLine}));
}

TEST_F(ResultFileReaderTest, LastLineOnlyOfAFileWithoutLineEnd) {
    files.put(kPath, "no end yet");
    EXPECT_EQ(read(true), Lines{});
    EXPECT_FALSE(reader.lastLine());
    files.write(kPath, "\r\n");
    EXPECT_EQ(read(), (Lines{"no end yet"}));
}

TEST_F(ResultFileReaderTest, RecreatedOrTruncatedFileIsReadFromItsBeginning) {
    files.put(kPath, "a\r\nb\r\n");
    read();
    files.put(kPath, "c\r\n");  // a new engine run: new file, shorter
    EXPECT_EQ(read(), (Lines{"c"}));
    files.files[kPath].data = "";  // truncated in place
    EXPECT_EQ(read(), Lines{});
    EXPECT_FALSE(reader.lastLine()) << "an empty file holds no last line";
    files.write(kPath, "d\r\n");
    EXPECT_EQ(read(), (Lines{"d"}));
}

TEST_F(ResultFileReaderTest, MissingFolderOrLockedFileReadsNothingAndLosesNothing) {
    EXPECT_EQ(read(), Lines{});
    EXPECT_FALSE(reader.present());
    files.files[kPath] = {"x\r\n", 99, true, false};  // a folder of that name
    EXPECT_EQ(read(), Lines{});
    files.put(kPath, "y\r\n");
    files.files[kPath].locked = true;
    EXPECT_EQ(read(), Lines{});
    files.files[kPath].locked = false;
    EXPECT_EQ(read(), (Lines{"y"}));
}

TEST_F(ResultFileReaderTest, AFailedQueryChangesNothing) {
    files.put(kPath, "a\r\nb\r\nhal");
    EXPECT_EQ(read(), (Lines{"a", "\nb"}));
    files.infoFails = true;  // a network folder, a scanner holding the file
    EXPECT_EQ(read(), Lines{});
    EXPECT_FALSE(reader.present());
    files.infoFails = false;
    files.write(kPath, "f\r\nc\r\n");
    EXPECT_EQ(read(), (Lines{"\nhalf", "\nc"})) << "nothing delivered twice";
    EXPECT_TRUE(reader.present());
}

// Wine and file systems without sequence numbers give a file made again the old identity.
TEST_F(ResultFileReaderTest, RemadeUnderTheSameIdentityIsReadFromItsStart) {
    files.put(kPath, "QR-Code:old\r\nQR-Code:hal");
    EXPECT_EQ(read(), (Lines{"QR-Code:old"}));
    files.remake(kPath, "EAN-13:5901234123457\r\nQR-Code:new\r\n");
    EXPECT_EQ(read(), (Lines{"EAN-13:5901234123457", "\nQR-Code:new"}));
    files.write(kPath, "Code-128:1\r\n");
    EXPECT_EQ(read(), (Lines{"\nCode-128:1"}));
}

TEST_F(ResultFileReaderTest, RemadeWhereOnlyTheLongUnfinishedLineBeganOtherwise) {
    const Bytes xs(1000, 'x');
    files.put(kPath, "a\r\n" + xs);
    EXPECT_EQ(read(), (Lines{"a"}));
    // The new file holds the same bytes just before the old offset, but its line began
    // earlier: finishing the old line would hand out a line the new file does not hold.
    files.remake(kPath, "zz" + xs + "x\r\n");
    EXPECT_EQ(read(), (Lines{"zz" + xs + "x"}));
}

TEST_F(ResultFileReaderTest, AFileThatKeptItsBytesIsReadOn) {
    const Bytes xs(1000, 'x');
    files.put(kPath, "a\r\n" + xs);
    EXPECT_EQ(read(), (Lines{"a"}));
    files.write(kPath, "\r\nb\r\n");
    EXPECT_EQ(read(), (Lines{"\n" + xs, "\nb"}));
}

TEST_F(ResultFileReaderTest, ALineLongerThan16MiBIsPassedOverUpToItsEnd) {
    files.put(kPath, "a\r\n");
    EXPECT_EQ(read(), (Lines{"a"}));
    files.write(kPath, Bytes(kLongestResultLine - 1, 'y'));  // after the LF of "a"
    EXPECT_EQ(read(), Lines{});
    EXPECT_EQ(reader.droppedLines(), 0u) << "a line just as long as the longest is kept";
    files.write(kPath, "y");
    EXPECT_EQ(read(), Lines{});
    EXPECT_EQ(reader.droppedLines(), 1u);
    files.write(kPath, Bytes(1000, 'y') + "\r\nnext\r\n");
    EXPECT_EQ(read(), (Lines{"\nnext"}));
    EXPECT_EQ(reader.droppedLines(), 1u);
    EXPECT_EQ(reader.lastLine(), Bytes("\nnext"));
}

TEST_F(ResultFileReaderTest, OneReadTakesAtMostTheLongestLineAndLosesNothing) {
    ResultFileReader small(kPath, 8);
    Bytes all;
    for (int i = 0; i < 50; ++i) all += std::to_string(i) + "\r";
    files.put(kPath, all + Bytes(20, 'z') + "\r" + "end\r");
    Lines got;
    for (int i = 0; i < 100 && !(small.caughtUp() && !got.empty()); ++i) {
        for (Bytes& l : small.readNew(files, false)) got.push_back(std::move(l));
    }
    ASSERT_EQ(got.size(), 51u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(got[i], std::to_string(i));
    EXPECT_EQ(got.back(), "end");
    EXPECT_EQ(small.droppedLines(), 1u);
}

TEST_F(ResultFileReaderTest, TooLongLinesAtTheEndOfAnOldFileAreNotTaken) {
    ResultFileReader small(kPath, 8);
    files.put(kPath, "old\r" + Bytes(20, 'z') + "\r");
    EXPECT_EQ(small.readNew(files, true), Lines{}) << "the last line is too long";
    EXPECT_EQ(small.droppedLines(), 1u);
    files.put(kPath, "old\rlast\r" + Bytes(20, 'z'));
    EXPECT_EQ(small.readNew(files, true), (Lines{"last"}));
    EXPECT_EQ(small.droppedLines(), 2u) << "the unfinished line is too long already";
    files.write(kPath, "z\rnext\r");
    EXPECT_EQ(small.readNew(files, false), (Lines{"next"}));
}

TEST_F(ResultFileReaderTest, OddBytesPassThroughUntouched) {
    const Bytes odd("A\0\xFF\xFE:\x80", 6);
    files.put(kPath, odd + "\r\n");
    EXPECT_EQ(read(), (Lines{odd}));
}

TEST_F(ResultFileReaderTest, ABurstOfLinesArrivesWholeAndInOrder) {
    Bytes burst;
    for (int i = 0; i < 10000; ++i) burst += "Code-128:" + std::to_string(i) + "\r\n";
    files.put(kPath, "");
    files.write(kPath, burst.substr(0, 123457));
    Lines got = read();
    files.write(kPath, burst.substr(123457));
    for (Bytes& l : read()) got.push_back(std::move(l));
    ASSERT_EQ(got.size(), 10000u);
    EXPECT_EQ(got.front(), "Code-128:0");
    for (int i = 1; i < 10000; ++i) ASSERT_EQ(got[i], "\nCode-128:" + std::to_string(i));
}

}  // namespace
}  // namespace tolvira
