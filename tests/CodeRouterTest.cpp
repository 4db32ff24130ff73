#include "pipeline/CodeRouter.h"

#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"
#include "tests/Keystrokes.h"

namespace tolvira::test {
namespace {

using Texts = std::vector<std::string>;
constexpr const char* kDataTxt = "C:\\Scan\\data.txt";
constexpr const char* kHistory = "C:\\Scan\\history.csv";
constexpr const char* kGs1 = "0109501101530003" "17261231" "10AB12\x1D" "21X";

// The router over the fake, with the sinks the window gives it.
struct Bench {
    void camera(const std::string& line) {
        router.route(CodeSource::Camera, ResultLine::fromText(line));
    }
    Texts typed() const { return describeBatches(fx.keyboard.batches); }
    std::string logged() const {
        const Bytes* data = fx.files.contents(kDataTxt);
        return data ? *data : "";
    }

    fake::FakePlatform fx;
    Options options;
    Texts listed;  // newest last
    CodeLog log{fx.files, kDataTxt};
    HistoryLog history{fx.files, kHistory};
    TypingQueue typing{fx.keyboard, fx.clipboard, fx.clock,
                       {.diagnostic = [](auto&) {},
                        .listed = [this](auto& line) { listed.push_back(line); },
                        .holding = [](auto&) {},
                        .engineWindow = {}}};
    DuplicateCheck duplicates{fx.worker, fx.files, kHistory, options,
                              [this](auto& line) { listed.push_back(line); }};
    int warnings = 0;
    CodeRouter router{options,
                      {.typing = typing,
                       .log = log,
                       .history = history,
                       .clock = fx.clock,
                       .duplicates = duplicates,
                       .list = [this](auto& line) { listed.push_back(line); },
                       .note = [](auto&) {},
                       .warn = [this] { ++warnings; }}};
};

TEST(CodeRouterTest, ACodeSeenBeforeIsMarkedAndUnderRejectGoesOnlyToTheList) {
    const std::string mark = "[重复] 81234567890123456789 首次 2026-12-08 14:00";
    struct Case {
        DuplicateRule rule;
        Texts typed;
        Texts listed;
        std::string logged;
        int warnings;
    };
    const Case cases[] = {
        {DuplicateRule::Allow, {"81234567890123456789", "81234567890123456789"},
         {"Code-128:81234567890123456789", "Code-128:81234567890123456789"},
         "81234567890123456789\r\n81234567890123456789\r\n", 0},
        {DuplicateRule::Warn, {"81234567890123456789", "81234567890123456789"},
         {"Code-128:81234567890123456789", mark},
         "81234567890123456789\r\n81234567890123456789\r\n", 1},
        {DuplicateRule::Reject, {"81234567890123456789"},
         {"Code-128:81234567890123456789", mark}, "81234567890123456789\r\n", 1},
    };
    for (const Case& c : cases) {
        Bench fresh;
        fresh.options.duplicates = c.rule;
        fresh.options.copyCode = true;
        fresh.camera("Code-128:81234567890123456789");
        fresh.fx.clipboard.text = "the user's";
        fresh.fx.clock.advance(60'000);
        fresh.camera("Code-128:81234567890123456789");
        const int rule = static_cast<int>(c.rule);
        EXPECT_EQ(fresh.typed(), c.typed) << rule;
        EXPECT_EQ(fresh.listed, c.listed) << rule;
        EXPECT_EQ(fresh.logged(), c.logged) << rule;
        EXPECT_EQ(fresh.warnings, c.warnings) << rule;
        EXPECT_EQ(fresh.fx.clipboard.text,
                  c.rule == DuplicateRule::Reject ? "the user's" : "81234567890123456789")
            << rule << ": a refused code is not copied";
    }
}

TEST(CodeRouterTest, HistoryIsReadOffTheWindowsThreadOnlyWhenTheOptionLooksThatFar) {
    Bench b;
    b.fx.files.write(kHistory,
                   "\xEF\xBB\xBFtime,source,symbology,code\r\n"
                   "2026-12-01 10:31:05.123,b.camera,Code-128,OLD\r\n");
    b.options.duplicates = DuplicateRule::Warn;
    b.fx.worker.hold = true;
    b.camera("Code-128:OLD");
    EXPECT_EQ(b.listed.back(), "Code-128:OLD") << "not read yet: this run's codes only";
    b.options.duplicateScope = DuplicateScope::History;
    b.camera("Code-128:NEW");
    ASSERT_EQ(b.fx.worker.pending(), 1u);
    b.fx.worker.finishAll();
    b.camera("Code-128:NEW");
    EXPECT_EQ(b.listed.back(), "[重复] NEW 首次 2026-12-08 14:00");
    b.camera("Code-128:OLD");
    EXPECT_EQ(b.listed.back(), "[重复] OLD 首次 2026-12-01 10:31") << "the history's time wins";
    b.duplicates.loadHistoryIfAsked();
    EXPECT_EQ(b.fx.worker.pending(), 0u) << "read once a run";
}

TEST(CodeRouterTest, AnUnreadableHistoryIsSaidAndThisRunsCodesStillCount) {
    Bench b;
    b.fx.files.write(kHistory, "x");
    b.fx.files.infoFails = true;
    b.fx.worker.hold = true;
    b.options.duplicates = DuplicateRule::Reject;
    b.options.duplicateScope = DuplicateScope::History;
    b.camera("QR-Code:a");
    b.fx.worker.finishAll();
    b.camera("QR-Code:a");
    EXPECT_EQ(b.listed, (Texts{"QR-Code:a", kHistoryUnreadLine, "[重复] a 首次 2026-12-08 14:00"}));
}

TEST(CodeRouterTest, ThePatternPicksWhatIsTypedAndCopiedAndAMissIsMarkedButKept) {
    struct Case {
        const char* pattern;
        const char* outputTemplate;
        std::string line;
        std::optional<std::string> typed;  // none: marked and not typed
    };
    const std::string url = "QR-Code:https://m.example.cn/t?c=81234567890123456789&x=1";
    const Case cases[] = {
        {"c=(\\d{20})", "$1", url, "81234567890123456789"},
        {"^\\d{13}$", "", "EAN-13:6901234567892", "6901234567892"},
        {"^\\d{13}$", "", url, std::nullopt},
        {"(\\d+)-(\\d+)", "$2/$1/$$", "Code-128:12-34", "34/12/$"},
        // Hostile: bounded work, no match, nothing typed.
        {"(a*)*b", "", "Code-128:" + std::string(8000, 'a'), std::nullopt},
        {"(a+)+$", "", "Code-128:" + std::string(8000, 'a') + "!", std::nullopt},
        // A pattern that does not compile lets nothing through.
        {"(", "", "QR-Code:x", std::nullopt},
    };
    for (const Case& c : cases) {
        Bench fresh;
        fresh.options.pattern = c.pattern;
        fresh.options.patternTemplate = c.outputTemplate;
        fresh.options.copyCode = true;
        fresh.camera(c.line);
        const std::string code = c.line.substr(c.line.find(':') + 1);
        EXPECT_EQ(fresh.typed(), c.typed ? Texts{*c.typed} : Texts{}) << c.pattern;
        EXPECT_EQ(fresh.fx.clipboard.text, c.typed) << c.pattern;
        EXPECT_EQ(fresh.listed, Texts{c.typed ? c.line : unmatchedListText(code)}) << c.pattern;
        EXPECT_EQ(fresh.logged(), code + "\r\n") << c.pattern << ": the reading is kept";
    }
}

TEST(CodeRouterTest, Gs1CodesAreTypedAsChosenWhileTheListAndLogKeepTheRead) {
    struct Case {
        Gs1Style style;
        const char* separator;
        std::string code;
        std::string typed;
    };
    const Case cases[] = {
        {Gs1Style::Unchanged, "", kGs1, "010950110153000317261231" "10AB12" "21X"},  // GS is no key
        {Gs1Style::Bracketed, "", kGs1, "(01)09501101530003(17)261231(10)AB12(21)X"},
        {Gs1Style::Replaced, "<GS>", kGs1, "010950110153000317261231" "10AB12<GS>21X"},
        {Gs1Style::Bracketed, "", "not GS1", "not GS1"},
    };
    for (const Case& c : cases) {
        Bench fresh;
        fresh.options.gs1 = c.style;
        fresh.options.gs1Separator = c.separator;
        fresh.camera("Code-128:" + c.code);
        EXPECT_EQ(fresh.typed(), Texts{c.typed});
        EXPECT_EQ(fresh.listed, Texts{"Code-128:" + c.code});
        EXPECT_EQ(fresh.logged(), c.code + "\r\n");
    }
}

TEST(CodeRouterTest, ThePatternIsMatchedAgainstTheGs1FormThatIsTyped) {
    Bench b;
    b.options.gs1 = Gs1Style::Bracketed;
    b.options.pattern = "\\(01\\)(\\d{14})";
    b.options.patternTemplate = "$1";
    b.camera(std::string("Code-128:") + kGs1);
    EXPECT_EQ(b.typed(), Texts{"09501101530003"});
}

}  // namespace
}  // namespace tolvira::test
