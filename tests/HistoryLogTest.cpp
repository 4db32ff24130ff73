#include "pipeline/HistoryLog.h"

#include <gtest/gtest.h>

#include "tests/FormFixture.h"

namespace tolvira::test {
namespace {

constexpr const char* kHistory = "C:\\Scan\\history.csv";
constexpr const char* kBom = "\xEF\xBB\xBF";
constexpr const char* kWaiting = "C:\\Scan\\history.csv.waiting";

TEST(CsvFieldTest, QuotedOnlyWhenItHoldsACommaQuoteCrOrLf) {
    EXPECT_EQ(csvField("plain 中文"), "plain 中文");
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("\""), "\"\"\"\"");
    EXPECT_EQ(csvField("line\rend"), "\"line\rend\"");
    EXPECT_EQ(csvField("line\nend"), "\"line\nend\"");
    EXPECT_EQ(csvField("semi;colon"), "semi;colon");
}

TEST(CsvFieldTest, AFieldASpreadsheetWouldTakeForAFormulaGetsAnApostrophe) {
    const std::pair<const char*, const char*> cases[] = {
        {"=1+1", "'=1+1"},       {"+86 10", "'+86 10"},  {"-5", "'-5"},
        {"@SUM(A1)", "'@SUM(A1)"}, {"\tx", "'\tx"},       {"\rx", "\"'\rx\""},
        {"=a,b", "\"'=a,b\""},     {"a=b", "a=b"},         {"'x", "'x"},
    };
    for (const auto& [field, written] : cases) EXPECT_EQ(csvField(field), written) << field;
}

TEST(CsvFieldTest, TimeStampHasMillisecondsAndLeadingZeros) {
    EXPECT_EQ(timeStamp({2026, 12, 8, 14, 3, 27, 120}), "2026-12-08 14:03:27.120");
    EXPECT_EQ(timeStamp({2027, 1, 2, 3, 4, 5, 6}), "2027-01-02 03:04:05.006");
}

class HistoryTest : public FormTest {
  protected:
    std::string history() const {
        const Bytes* data = fx.files.contents(kHistory);
        return data ? *data : "<missing>";
    }
};

TEST_F(HistoryTest, EachCameraCodeIsOneRecordAfterOneByteOrderMark) {
    running();
    scan("QR-Code:中文,\"x\"");
    scan("EAN-13:4006381333931");
    EXPECT_EQ(history(), std::string(kBom) +
                             "2026-12-08 14:00:00.100,camera,QR-Code,\"中文,\"\"x\"\"\"\r\n"
                             "2026-12-08 14:00:00.200,camera,EAN-13,4006381333931\r\n");
}

TEST_F(HistoryTest, AnExistingFileGetsNoSecondMark) {
    fx.files.put(kHistory, std::string(kBom) + "old\r\n");
    running();
    scan("QR-Code:a");
    EXPECT_EQ(history(), std::string(kBom) + "old\r\n2026-12-08 14:00:00.100,camera,QR-Code,a\r\n");
}

TEST_F(HistoryTest, PictureCodesAreRecordedAsPictures) {
    MainForm& f = running();
    f.listDrop({"D:\\photo.png"});
    fx.files.put("C:\\Scan\\bar2.dat", "QR-Code:pic:1\r\n");
    fx.processes.processes.clear();
    advance(1500);
    EXPECT_EQ(history(), std::string(kBom) + "2026-12-08 14:00:01.501,picture,QR-Code,pic:1\r\n");
}

TEST_F(HistoryTest, RecordsWaitWhileTheFileIsLockedAndNoneIsLost) {
    running();
    scan("QR-Code:one");
    fx.files.files[kHistory].locked = true;
    scan("QR-Code:two");
    scan("QR-Code:three");
    EXPECT_EQ(history(), std::string(kBom) + "2026-12-08 14:00:00.100,camera,QR-Code,one\r\n");
    fx.files.files[kHistory].locked = false;
    advance(100);
    EXPECT_EQ(history(), std::string(kBom) +
                             "2026-12-08 14:00:00.100,camera,QR-Code,one\r\n"
                             "2026-12-08 14:00:00.200,camera,QR-Code,two\r\n"
                             "2026-12-08 14:00:00.300,camera,QR-Code,three\r\n");
}

TEST_F(HistoryTest, RecordsStillLockedOutAtExitAreKeptBesideAndWrittenFirstNextStart) {
    MainForm& f = running();
    fx.files.put(kHistory, kBom);
    fx.files.files[kHistory].locked = true;
    scan("QR-Code:=1+1");
    scan("QR-Code:two");
    f.bend.click();
    EXPECT_EQ(*fx.files.contents(kHistory), kBom);
    EXPECT_EQ(*fx.files.contents(kWaiting), "2026-12-08 14:00:00.100,camera,QR-Code,'=1+1\r\n"
                                            "2026-12-08 14:00:00.200,camera,QR-Code,two\r\n");
    EXPECT_EQ(*fx.files.contents(kDataTxt), "=1+1\r\ntwo\r\n") << "data.txt as it was";

    fx.files.files[kHistory].locked = false;
    MainForm next(fx.services);
    next.load();
    EXPECT_FALSE(fx.files.exists(kWaiting));
    EXPECT_EQ(history(), std::string(kBom) +
                             "2026-12-08 14:00:00.100,camera,QR-Code,'=1+1\r\n"
                             "2026-12-08 14:00:00.200,camera,QR-Code,two\r\n");
}

TEST_F(HistoryTest, OffWritesNothingAndDataTxtStaysAsItIs) {
    MainForm& f = running();
    f.options.history = false;
    scan("QR-Code:a");
    EXPECT_EQ(history(), "<missing>");
    EXPECT_EQ(*fx.files.contents(kDataTxt), "a\r\n");
}

}  // namespace
}  // namespace tolvira::test
