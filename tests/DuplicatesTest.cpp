#include "pipeline/Duplicates.h"

#include <gtest/gtest.h>

#include "pipeline/HistoryLog.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira {
namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";
const LocalTime kMorning{2026, 12, 9, 10, 31, 5, 120};
const LocalTime kNoon{2026, 12, 9, 12, 0, 0, 0};

TEST(SeenCodesTest, ACodeKeepsTheTimeItWasFirstSeen) {
    SeenCodes seen;
    EXPECT_FALSE(seen.check("8123").has_value());
    seen.add("8123", kMorning);
    seen.add("8123", kNoon);
    EXPECT_EQ(seen.check("8123"), kMorning);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen.check("812").has_value()) << "a prefix is another code";
    EXPECT_FALSE(seen.check("81234").has_value());
    EXPECT_FALSE(seen.check("").has_value());
}

TEST(SeenCodesTest, ManyCodesSurviveTheTableGrowingAndEveryTimeFieldRoundTrips) {
    SeenCodes seen;
    for (int i = 0; i < 5000; ++i) {
        seen.add(std::to_string(i),
                 {2000 + i % 100, 1 + i % 12, 1 + i % 31, i % 24, i % 60, i % 60, i % 1000});
    }
    ASSERT_EQ(seen.size(), 5000u);
    for (int i = 0; i < 5000; i += 7) {
        const LocalTime expected{2000 + i % 100, 1 + i % 12, 1 + i % 31, i % 24,
                                 i % 60,         i % 60,     i % 1000};
        EXPECT_EQ(seen.check(std::to_string(i)), expected) << i;
    }
    EXPECT_FALSE(seen.check("5000").has_value());
}

TEST(SeenCodesTest, HistoryTakenInLateIsOlderAndKeepsWhatThisRunAddedMeanwhile) {
    SeenCodes thisRun;
    thisRun.add("both", kNoon);
    thisRun.add("run only", kNoon);
    SeenCodes history;
    history.add("both", kMorning);
    history.add("history only", kMorning);

    thisRun.takeHistory(std::move(history));
    EXPECT_EQ(thisRun.size(), 3u);
    EXPECT_EQ(thisRun.check("both"), kMorning);
    EXPECT_EQ(thisRun.check("run only"), kNoon);
    EXPECT_EQ(thisRun.check("history only"), kMorning);
}

struct HistoryCase {
    const char* name;
    std::string csv;
    std::vector<std::pair<std::string, LocalTime>> seen;  // every code the index must hold
};

TEST(SeenCodesFromHistoryTest, ReadsWhatTheHistoryLogWrites) {
    const LocalTime t1{2026, 12, 8, 14, 3, 27, 120};
    const LocalTime t2{2026, 12, 9, 9, 0, 1, 5};
    const std::string first = "2026-12-08 14:03:27.120";
    const std::string second = "2026-12-09 09:00:01.005";
    const HistoryCase cases[] = {
        {"plain records after the mark",
         kBom + first + ",camera,EAN-13,4006381333931\r\n" + second + ",picture,QR-Code,abc\r\n",
         {{"4006381333931", t1}, {"abc", t2}}},
        {"no mark", first + ",camera,QR-Code,abc\r\n", {{"abc", t1}}},
        {"quoted code with comma and doubled quotes",
         first + ",camera,QR-Code,\"中文,\"\"x\"\"\"\r\n",
         {{"中文,\"x\"", t1}}},
        {"multi-line code",
         first + ",camera,QR-Code,\"line 1\r\nline 2\"\r\n",
         {{"line 1\r\nline 2", t1}}},
        {"formula guard undone",
         first + ",camera,QR-Code,'=1+1\r\n" + second + ",camera,QR-Code,\"'-5,x\"\r\n",
         {{"=1+1", t1}, {"-5,x", t2}}},
        {"an apostrophe before anything else is part of the code",
         first + ",camera,QR-Code,'x\r\n",
         {{"'x", t1}}},
        {"the first record of a code gives its time",
         first + ",camera,QR-Code,abc\r\n" + second + ",screen,QR-Code,abc\r\n",
         {{"abc", t1}}},
        {"code with colons and an empty code",
         first + ",camera,QR-Code,http://a:b\r\n" + second + ",camera,QR-Code,\r\n",
         {{"http://a:b", t1}, {"", t2}}},
        {"time without milliseconds",
         "2026-12-08 14:03:27,camera,QR-Code,abc\r\n",
         {{"abc", {2026, 12, 8, 14, 3, 27, 0}}}},
        {"a quoted code keeps its CR LF, lone LF and lone CR",
         first + ",camera,QR-Code,\"a\r\nb\nc\rd\"\r\n" + second + ",camera,x,e\r\n",
         {{"a\r\nb\nc\rd", t1}, {"e", t2}}},
        {"LF alone ends a record too",
         first + ",camera,QR-Code,a\n" + second + ",camera,x,b\n",
         {{"a", t1}, {"b", t2}}},
    };
    for (const HistoryCase& c : cases) {
        const SeenCodes seen = seenCodesFromHistory(c.csv);
        EXPECT_EQ(seen.size(), c.seen.size()) << c.name;
        for (const auto& [code, time] : c.seen) EXPECT_EQ(seen.check(code), time) << c.name;
    }
}

TEST(SeenCodesFromHistoryTest, SkipsWhatIsNotARecordAndGoesOn) {
    const std::string good = "2026-12-08 14:03:27.120,camera,QR-Code,good\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"header-like row", "time,source,symbology,code\r\n"},
        {"too few fields", "2026-12-08 14:03:27.120,camera,bad\r\n"},
        {"bad time", "2026-13-08 14:03:27.120,camera,QR-Code,bad\r\n"},
        {"time not digits", "2026-1x-08 14:03:27.120,camera,QR-Code,bad\r\n"},
        {"empty line", "\r\n"},
    };
    for (const auto& [name, junk] : cases) {
        const SeenCodes seen = seenCodesFromHistory(junk + good);
        EXPECT_EQ(seen.size(), 1u) << name;
        EXPECT_TRUE(seen.check("good").has_value()) << name;
        EXPECT_FALSE(seen.check("bad").has_value()) << name;
    }
}

TEST(SeenCodesFromHistoryTest, ALastRecordWithoutItsLineBreakIsDropped) {
    const std::string done = "2026-12-08 14:03:27.120,camera,QR-Code,a\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"cut in a plain field", done + "2026-12-08 14:03:28.000,camera,QR-Code,812345"},
        {"cut inside quotes", done + "2026-12-08 14:03:28.000,camera,QR-Code,\"b,c"},
        {"cut inside a quoted line break", done + "2026-12-08 14:03:28.000,camera,QR-Code,\"b\r\n"},
        {"cut after the closing quote", done + "2026-12-08 14:03:28.000,camera,QR-Code,\"b\r\nc\""},
        {"cut before the LF", done + "2026-12-08 14:03:28.000,camera,QR-Code,b\r"},
    };
    for (const auto& [name, csv] : cases) {
        const SeenCodes seen = seenCodesFromHistory(csv);
        EXPECT_EQ(seen.size(), 1u) << name;
        EXPECT_TRUE(seen.check("a").has_value()) << name;
    }
}

TEST(ReadSeenCodesTest, ReadsTheFileAndTellsAMissingOneFromAnUnreadableOne) {
    fake::FakeFiles files;
    const std::string path = "C:\\Scan\\history.csv";
    const std::optional<SeenCodes> missing = readSeenCodes(files, path);
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->size(), 0u);

    files.put(path, std::string(kBom) + "2026-12-08 14:03:27.120,camera,QR-Code,a\r\n");
    const std::optional<SeenCodes> read = readSeenCodes(files, path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->check("a"), (LocalTime{2026, 12, 8, 14, 3, 27, 120}));

    files.files[path].locked = true;
    EXPECT_FALSE(readSeenCodes(files, path).has_value());
}

// Whatever the history log writes, the reader must give back the same code.
TEST(SeenCodesFromHistoryTest, EveryCodeTheLogWritesReadsBackTheSame) {
    const char* codes[] = {"plain",    "a,b", "say \"hi\"",  "\"",   "=1+1", "+86 10", "-5",
                           "@SUM(A1)", "\tx", "line\r\nend", "中文", "x'",   "'",      ""};
    std::string csv = kBom;
    for (const char* code : codes) {
        csv += csvField(timeStamp(kMorning)) + ",camera," + csvField("QR-Code") + "," +
               csvField(code) + "\r\n";
    }
    const SeenCodes seen = seenCodesFromHistory(csv);
    EXPECT_EQ(seen.size(), std::size(codes));
    for (const char* code : codes) EXPECT_EQ(seen.check(code), kMorning) << code;
}

TEST(DuplicateListTextTest, MarkCodeAndFirstSeenToTheMinute) {
    EXPECT_EQ(duplicateListText("81234567890123456789", kMorning),
              "[重复] 81234567890123456789 首次 2026-12-09 10:31");
    EXPECT_EQ(duplicateListText("x", {2027, 1, 2, 3, 4, 5, 6}), "[重复] x 首次 2027-01-02 03:04");
}

}  // namespace
}  // namespace tolvira
