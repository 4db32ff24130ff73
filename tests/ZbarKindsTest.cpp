#include "engine/zbar/ZbarKinds.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace tolvira {
namespace {

CodeKindSet setOf(std::initializer_list<CodeKind> kinds) {
    CodeKindSet set;
    for (CodeKind kind : kinds) set.set(kind, true);
    return set;
}

TEST(CodeKindsTest, StoredTextRoundTripsAndIgnoresWhatItDoesNotKnow) {
    const std::pair<std::string, CodeKindSet> cases[] = {
        {"", {}},
        {"code39", setOf({CodeKind::Code39})},
        {"ean,qr,datamatrix", setOf({CodeKind::EanUpc, CodeKind::Qr, CodeKind::DataMatrix})},
    };
    for (const auto& [text, set] : cases) {
        EXPECT_EQ(offKindsText(set), text);
        EXPECT_EQ(offKindsFromText(text), set) << text;
    }
    EXPECT_EQ(offKindsFromText(" qr , pdf417,,QR,itf"), setOf({CodeKind::Qr, CodeKind::Itf}))
        << "ids are exact, spaces trimmed, unknown ones dropped";
}

TEST(CodeKindsTest, EveryKindHasItsOwnIdAndBit) {
    CodeKindSet all;
    for (const CodeKindInfo& info : kCodeKinds) {
        EXPECT_FALSE(all.has(info.kind)) << info.id;
        all.set(info.kind, true);
        EXPECT_EQ(offKindsFromText(info.id), setOf({info.kind})) << info.id;
    }
    all.set(CodeKind::Qr, false);
    EXPECT_FALSE(all.has(CodeKind::Qr));
    EXPECT_TRUE(all.has(CodeKind::Code128));
}

TEST(ZbarKindsTest, EachKindSwitchedOffGivesZbarsOwnNames) {
    const std::pair<CodeKind, std::vector<std::string>> cases[] = {
        {CodeKind::EanUpc, {"-Sean13.disable", "-Sean8.disable"}},
        {CodeKind::Code128, {"-Scode128.disable"}},
        {CodeKind::Code39, {"-Scode39.disable"}},
        {CodeKind::Code93, {"-Scode93.disable"}},
        {CodeKind::Itf, {"-Si25.disable"}},
        {CodeKind::Codabar, {"-Scodabar.disable"}},
        {CodeKind::DataBar, {"-Sdatabar.disable", "-Sdatabar-exp.disable"}},
        {CodeKind::Qr, {"-Sqrcode.disable"}},
        {CodeKind::SqCode, {"-Ssqcode.disable"}},
        {CodeKind::DataMatrix, {"-Sdatamatrix.disable"}},
    };
    for (const auto& [kind, switches] : cases) {
        EXPECT_EQ(zbarDisableSwitches(setOf({kind})), switches);
    }
    EXPECT_TRUE(zbarDisableSwitches({}).empty()) << "every kind on: nothing added";
    EXPECT_EQ(zbarDisableSwitches(setOf({CodeKind::Qr, CodeKind::Code39})),
              (std::vector<std::string>{"-Scode39.disable", "-Sqrcode.disable"}));
}

// Debian's Linux zbarimg is the same ZBar version as the Windows engines: a picture of each kind
// is decoded with every kind on, and is not decoded once its kind is off while the others are.
class ZbarimgKindsTest : public testing::Test {
  protected:
    void SetUp() override {
        if (access("/usr/bin/zbarimg", X_OK) != 0 || access("/usr/bin/zint", X_OK) != 0) {
            GTEST_SKIP() << "needs /usr/bin/zbarimg and /usr/bin/zint";
        }
        char name[] = "/tmp/tolvira-kinds-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder_ = name;
    }
    void TearDown() override {
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }

    std::string picture(const std::string& name, const std::string& zintArgs) {
        const std::string path = folder_ + "/" + name + ".png";
        const std::string command =
            "/usr/bin/zint " + zintArgs + " -o " + path + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }

    // zbarimg's output lines, symbology and data.
    static std::string decoded(const std::string& path, const std::vector<std::string>& switches) {
        std::string command = "/usr/bin/zbarimg -q";
        for (const std::string& s : switches) command += " " + s;
        command += " " + path + " 2>/dev/null";
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
            pclose(pipe);
        }
        return out;
    }

    std::string folder_;
};

TEST_F(ZbarimgKindsTest, AKindSwitchedOffIsNotDecodedAndTheOthersStillAre) {
    struct Case {
        CodeKind kind;
        const char* name;
        const char* zint;
        const char* line;  // zbarimg's line with every kind on
    };
    const Case cases[] = {
        {CodeKind::EanUpc, "ean13", "-b 13 -d 400638133393", "EAN-13:4006381333931\n"},
        {CodeKind::EanUpc, "ean8", "-b 13 -d 1234567", "EAN-8:12345670\n"},
        {CodeKind::EanUpc, "upca", "-b 34 -d 01234567890", "EAN-13:0012345678905\n"},
        {CodeKind::EanUpc, "upce", "-b 37 -d 0123456", "EAN-13:0012345000065\n"},
        {CodeKind::EanUpc, "isbn", "-b 13 -d 978316148410", "EAN-13:9783161484100\n"},
        {CodeKind::Code128, "code128", "-b 20 -d Tolvira-128", "CODE-128:Tolvira-128\n"},
        {CodeKind::Code39, "code39", "-b 8 -d TOLVIRA39", "CODE-39:TOLVIRA39\n"},
        {CodeKind::Code93, "code93", "-b 25 -d TOLVIRA93", "CODE-93:TOLVIRA93\n"},
        {CodeKind::Itf, "itf", "-b 3 -d 12345678", "I2/5:12345678\n"},
        {CodeKind::Codabar, "codabar", "-b 18 -d A123456B", "Codabar:A123456B\n"},
        {CodeKind::DataBar, "databar", "-b 29 -d 0950110153000", "DataBar:0109501101530003\n"},
        {CodeKind::DataBar, "databar-exp", "-b 31 --gs1 -d [01]09501101530003[17]261231",
         "DataBar-Exp:010950110153000317261231\n"},
        {CodeKind::Qr, "qr", "-b 58 -d Tolvira", "QR-Code:Tolvira\n"},
    };
    for (const Case& c : cases) {
        const std::string path = picture(c.name, c.zint);
        EXPECT_EQ(decoded(path, {}), c.line) << c.name;
        EXPECT_EQ(decoded(path, zbarDisableSwitches(setOf({c.kind}))), "") << c.name;
        // Every other kind off leaves this one read.
        CodeKindSet others;
        for (const CodeKindInfo& info : kCodeKinds) {
            // Not ZBar's own: the Debian tool has no DataMatrix pass to switch.
            if (info.kind != c.kind && info.kind != CodeKind::DataMatrix)
                others.set(info.kind, true);
        }
        EXPECT_EQ(decoded(path, zbarDisableSwitches(others)), c.line) << c.name;
    }
}

}  // namespace
}  // namespace tolvira
