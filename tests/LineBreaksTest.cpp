// A code holding line breaks (a vCard, a Wi-Fi set-up, two lines of text) is one code on every
// road: read whole from the engine's framing, typed with Enter for each break, listed on one
// line, logged and kept in history.csv with its breaks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/zbar/ZbarEngine.h"
#include "pipeline/Duplicates.h"
#include "tests/FormFixture.h"
#include "tests/Keystrokes.h"

namespace tolvira::test {
namespace {

using Texts = std::vector<std::string>;
constexpr const char* kHistoryCsv = "C:\\Scan\\history.csv";
constexpr const char* kImageEngine = "zbarimg.exe";

TEST(LineBreaksTest, AnEscapedResultLineGivesTheCodesBytesBack) {
    struct Case {
        const char* name;
        Bytes line;  // as the result file holds it
        Bytes raw;
    };
    const Case cases[] = {
        {"the line end and the LF of the line before are the file's", "\nQR-Code:abc\r",
         "QR-Code:abc"},
        {"CR LF, a lone LF and a lone CR", "QR-Code:a\\r\\nb\\nc\\rd", "QR-Code:a\r\nb\nc\rd"},
        {"breaks only", "QR-Code:\\r\\n\\r\\n", "QR-Code:\r\n\r\n"},
        {"an escaped backslash before n is a backslash and an n", "QR-Code:C:\\\\new",
         "QR-Code:C:\\new"},
        {"a backslash before anything else stays, also at the end", "QR-Code:a\\tb\\",
         "QR-Code:a\\tb\\"},
        {"a GBK character whose second byte is a backslash", "QR-Code:\xB1\\\\\\n",
         "QR-Code:\xB1\\\n"},
    };
    fake::FakeCodec codec;
    const ZbarEngine engine;
    for (const Case& c : cases) EXPECT_EQ(resultLine(engine, c.line, codec).raw, c.raw) << c.name;
}

class LineBreaksFormTest : public FormTest {
  protected:
    Texts typed() const { return describeBatches(fx.keyboard.batches); }
    std::string typedText() const {
        std::string all;
        for (const std::string& t : typed()) all += t;
        return all;
    }
    std::string file(const char* path) const {
        const Bytes* data = fx.files.contents(path);
        return data ? *data : "<missing>";
    }
    // The image engine writes its output and ends.
    void imageEngineFinishes(const Bytes& output) {
        fx.files.write(kBar2Dat, output);
        std::erase_if(fx.processes.processes,
                      [](const ProcessEntry& p) { return p.exeName == kImageEngine; });
    }
};

TEST_F(LineBreaksFormTest, EachLineBreakIsOneEnterInEveryTypingMode) {
    struct Case {
        const char* name;
        TypeMode mode;
        int keyDelayMs;
        Bytes line;
        std::string typed;  // not in paste mode
        size_t batches;
        std::string pasted;  // paste mode: the clipboard as Ctrl+V went
    };
    const Case cases[] = {
        {"CR LF", TypeMode::Unicode, 0, "QR-Code:a\\r\\nb", "a<Enter>b<Enter>", 1, ""},
        {"a lone LF and a lone CR", TypeMode::Unicode, 0, "QR-Code:c\\nd\\re",
         "c<Enter>d<Enter>e<Enter>", 1, ""},
        {"an empty line between", TypeMode::Unicode, 0, "QR-Code:f\\r\\n\\r\\ng",
         "f<Enter><Enter>g<Enter>", 1, ""},
        {"paced, a break is one key", TypeMode::Unicode, 10, "QR-Code:h\\r\\ni",
         "h<Enter>i<Enter>", 4, ""},
        {"layout keys: a break is never the layout's key", TypeMode::LayoutKeys, 0,
         "QR-Code:j\\r\\nk\\nl", "j<Enter>k<Enter>l<Enter>", 1, ""},
        {"paste: CR LF for each break", TypeMode::Paste, 0, "QR-Code:m\\nn\\r\\no\\rp", "", 1,
         "m\r\nn\r\no\r\np"},
    };
    fx.keyboard.layout = {{u'j', {0x4A, 0}}, {u'\r', {0x4B, 0}}, {u'\n', {0x4C, 0}}};
    MainForm& f = running();
    f.o1.setSelected(true);  // Enter after the code
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.options.typeMode = c.mode;
        f.options.keyDelayMs = c.keyDelayMs;
        fx.keyboard.batches.clear();
        fx.keyboard.clipboardAt.clear();
        scan(c.line);
        advance(3000);
        ASSERT_EQ(fx.keyboard.batches.size(), c.batches);
        if (c.mode == TypeMode::Paste) {
            EXPECT_EQ(fx.keyboard.clipboardAt.front(), c.pasted);
        } else if (c.mode == TypeMode::LayoutKeys) {
            EXPECT_EQ(typedText(), "<vk 4A>" + c.typed.substr(1)) << "j is the layout's key";
        } else {
            EXPECT_EQ(typedText(), c.typed);
        }
    }
}

// How each road reads a result line: the camera's bar.dat, a dropped picture's and the screen
// scan's bar2.dat (the screen's with a second code after it).
struct Road {
    const char* name;
    const char* source;  // as history.csv names it
};
const Road kRoads[] = {{"camera", "camera"}, {"picture", "picture"}, {"screen", "screen"}};

class OneCodeOnEveryRoad : public LineBreaksFormTest,
                           public ::testing::WithParamInterface<Road> {
  protected:
    void read(MainForm& f, const Bytes& line) {
        const std::string road = GetParam().name;
        if (road == "camera") {
            scan(line);
        } else if (road == "picture") {
            f.listDrop({"D:\\card.png"});
            imageEngineFinishes(line + "\r\n");
            advance(1500);
        } else {
            f.hotKeyPressed();
            imageEngineFinishes(line + "\r\nEAN-8:96385074\r\n");
            advance(kScreenWaitMs);
        }
        advance(3000);
    }
};

TEST_P(OneCodeOnEveryRoad, ListedOnOneLineLoggedWholeAndReadBackFromHistory) {
    const Bytes code = "BEGIN:VCARD\r\nFN:Li \"Lei\"\r\nTEL:1,2\nEND:VCARD";
    const Bytes framed = "QR-Code:BEGIN:VCARD\\r\\nFN:Li \"Lei\"\\r\\nTEL:1,2\\nEND:VCARD";
    MainForm& f = running();
    read(f, framed);
    const Texts items = f.CodeList.items();
    EXPECT_EQ(std::count(items.begin(), items.end(),
                         "QR-Code:BEGIN:VCARD↵FN:Li \"Lei\"↵TEL:1,2↵END:VCARD"),
              1)
        << "listed once, on one line";
    EXPECT_EQ(std::count_if(items.begin(), items.end(),
                            [](const std::string& i) {
                                return i.starts_with("FN:") || i.starts_with("END:");
                            }),
              0)
        << "no line of the code listed as a code of its own";
    EXPECT_TRUE(file(kDataTxt).starts_with(code + "\r\n")) << "data.txt keeps the breaks";
    const std::string history = file(kHistoryCsv);
    const std::string record = std::string(",") + GetParam().source +
                               ",QR-Code,\"BEGIN:VCARD\r\nFN:Li \"\"Lei\"\"\r\nTEL:1,2\nEND:VCARD\"\r\n";
    EXPECT_NE(history.find(record), std::string::npos) << history;
    const SeenCodes seen = seenCodesFromHistory(history);
    EXPECT_TRUE(seen.check(code).has_value()) << "the duplicate check reads it back whole";
    EXPECT_FALSE(seen.check("BEGIN:VCARD").has_value());
}

INSTANTIATE_TEST_SUITE_P(Roads, OneCodeOnEveryRoad, ::testing::ValuesIn(kRoads),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tolvira::test
