// The engines' DataMatrix pass, run under Wine over frames drawn here: what it finds in a frame,
// how a code is printed, which -S settings are its own, the camera's re-scan rule, and the
// camera thread's frame hand-over.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <dmtx.h>

#include "campass.h"
#include "dmtxpass.h"
}

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Frame {
    int width = kWidth, height = kHeight;
    std::vector<unsigned char> grey = std::vector<unsigned char>(size_t(kWidth) * kHeight, 170);
};

// Draws a DataMatrix of `data` with libdmtx's encoder (GS bytes as FNC1 when `fnc1`) at x, y.
void draw(Frame &frame, const std::string &data, int x, int y, bool fnc1 = false, int module = 4)
{
    DmtxEncode *enc = dmtxEncodeCreate();
    ASSERT_NE(enc, nullptr);
    dmtxEncodeSetProp(enc, DmtxPropModuleSize, module);
    dmtxEncodeSetProp(enc, DmtxPropMarginSize, 3 * module);
    if(fnc1)
        dmtxEncodeSetProp(enc, DmtxPropFnc1, 0x1d);
    std::vector<unsigned char> bytes(data.begin(), data.end());
    ASSERT_EQ(dmtxEncodeDataMatrix(enc, int(bytes.size()), bytes.data()), unsigned(DmtxPass));
    DmtxImage *img = enc->image;
    const int bpp = dmtxImageGetProp(img, DmtxPropBytesPerPixel);
    const int stride = dmtxImageGetProp(img, DmtxPropRowSizeBytes);
    for(int r = 0; r < img->height && y + r < frame.height; r++)
        for(int c = 0; c < img->width && x + c < frame.width; c++)
            frame.grey[size_t(y + r) * frame.width + x + c] = img->pxl[r * stride + c * bpp];
    dmtxEncodeDestroy(&enc);
}

struct Found {
    std::vector<std::string> data;
    std::vector<int> gs1;
};

Found scan(const Frame &frame, int limit_ms = DMTX_PASS_PICTURE_MS)
{
    dmtx_code_t codes[8];
    int n = dmtx_scan_grey(frame.grey.data(), frame.width, frame.height, limit_ms, codes, 8);
    EXPECT_GE(n, 0);
    Found found;
    for(int i = 0; i < n; i++) {
        found.data.emplace_back(reinterpret_cast<char *>(codes[i].data), codes[i].len);
        found.gs1.push_back(codes[i].gs1);
    }
    dmtx_codes_free(codes, n > 0 ? n : 0);
    return found;
}

TEST(DmtxScan, ReadsWhatTheFrameHolds)
{
    const std::string gs = "\x1d";
    struct Case {
        const char *what;
        std::string data;
        bool fnc1;
        std::string text;
        int gs1;
    } cases[] = {
        {"plain text", "UDI label 0123", false, "UDI label 0123", 0},
        {"GS1: leading FNC1 dropped, the next as GS", gs + "0109501101530003" + "10ABC" + gs + "21XYZ",
         true, "0109501101530003" "10ABC" + gs + "21XYZ", 1},
        {"a data byte GS first is data, not GS1", gs + "AB", false, gs + "AB", 0},
        {"control characters pass unchanged", std::string("A\x01\x1b[2J\x7f" "B\r\n", 10), false,
         std::string("A\x01\x1b[2J\x7f" "B\r\n", 10), 0},
        {"a NUL inside", std::string("A\0B", 3), false, std::string("A\0B", 3), 0},
    };
    for(const Case &c : cases) {
        Frame frame;
        draw(frame, c.data, 200, 150, c.fnc1);
        Found found = scan(frame);
        ASSERT_EQ(found.data.size(), 1u) << c.what;
        EXPECT_EQ(found.data[0], c.text) << c.what;
        EXPECT_EQ(found.gs1[0], c.gs1) << c.what;
    }
}

TEST(DmtxScan, FindsEveryCodeAndNothingWhereThereIsNone)
{
    Frame two;
    draw(two, "left", 40, 100);
    draw(two, "right", 400, 200);
    Found found = scan(two);
    ASSERT_EQ(found.data.size(), 2u);
    EXPECT_NE(std::find(found.data.begin(), found.data.end(), "left"), found.data.end());
    EXPECT_NE(std::find(found.data.begin(), found.data.end(), "right"), found.data.end());

    Frame blank;
    EXPECT_TRUE(scan(blank).data.empty());

    // Past what the error correction mends: the symbol's middle painted black.
    Frame damaged;
    draw(damaged, "a code that will not survive", 200, 150);
    for(int r = 170; r < 215; r++)
        std::memset(&damaged.grey[size_t(r) * kWidth + 220], 0, 45);
    EXPECT_TRUE(scan(damaged).data.empty());

    Frame noise;
    unsigned seed = 1;
    for(unsigned char &p : noise.grey)
        p = static_cast<unsigned char>((seed = seed * 1103515245 + 12345) >> 16);
    EXPECT_TRUE(scan(noise, DMTX_PASS_FRAME_MS).data.empty());

}

TEST(DmtxScan, PicturesTooSmallForASymbolEndQuietly)
{
    const std::vector<unsigned char> pixels(9 * 600, 0);
    const int sizes[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {9, 600}, {600, 9}, {9, 9}};
    for(const auto &size : sizes) {
        dmtx_code_t codes[1];
        EXPECT_EQ(dmtx_scan_grey(pixels.data(), size[0], size[1], 100, codes, 1), 0)
            << size[0] << "x" << size[1];
    }
}

TEST(DmtxConfig, OwnSettingsAndZbarsSwitchesOfEveryKind)
{
    struct Case {
        const char *setting;
        int own;
        int enabled; // after the setting, starting from 1 (or from 0 where noted)
        int from = 1;
    } cases[] = {
        {"datamatrix.disable", 1, 0},
        {"datamatrix.enable=0", 1, 0},
        {"datamatrix.enable", 1, 1, 0},
        {"datamatrix.enable=1", 1, 1, 0},
        {"disable", 0, 0},
        {"*.disable", 0, 0},
        {"enable", 0, 1, 0},
        {"*.enable=1", 0, 1, 0},
        {"qrcode.disable", 0, 1},
        {"test-inverted", 0, 1},
        {"datamatrix.density=2", -1, 1},
        {"datamatrix.", -1, 1},
    };
    for(const Case &c : cases) {
        int enabled = c.from;
        EXPECT_EQ(dmtx_pass_config(c.setting, &enabled), c.own) << c.setting;
        EXPECT_EQ(enabled, c.enabled) << c.setting;
    }
}

std::string printed(const std::string &data, int gs1, dmtx_format format)
{
    std::vector<unsigned char> bytes(data.begin(), data.end());
    bytes.push_back(0);
    dmtx_code_t code{bytes.data(), unsigned(data.size()), gs1};
    char *buf = nullptr;
    unsigned len = 0;
    FILE *out = std::tmpfile();
    EXPECT_EQ(dmtx_print_code(out, &code, format, &buf, &len), 0);
    std::free(buf);
    std::rewind(out);
    std::string text;
    for(int c; (c = std::fgetc(out)) != EOF;)
        text += char(c);
    std::fclose(out);
    return text;
}

// The XML is zbar_symbol_xml's, as Debian's zbarimg prints it for a QR code and a GS1-128.
TEST(DmtxPrint, AsZbarPrintsItsSymbols)
{
    const std::string gs1 = "0109501101530003" "10ABC123\x1d" "21XYZ";
    struct Case {
        std::string data;
        int gs1;
        dmtx_format format;
        std::string expected;
    } cases[] = {
        {"hello", 0, DMTX_PLAIN, "DataMatrix:hello"},
        {"hello", 0, DMTX_RAW, "hello"},
        {"", 0, DMTX_PLAIN, "DataMatrix:"},
        // --escape: every code one line, CR, LF and backslash as two characters each.
        {"a\r\nb\nc\rd", 0, DMTX_ESCAPED, "DataMatrix:a\\r\\nb\\nc\\rd"},
        {"C:\\new\\", 0, DMTX_ESCAPED, "DataMatrix:C:\\\\new\\\\"},
        {"\xB1\\", 0, DMTX_ESCAPED, "DataMatrix:\xB1\\\\"},
        {"", 0, DMTX_ESCAPED, "DataMatrix:"},
        {"line1\nline2", 0, DMTX_XML,
         "<symbol type='DataMatrix' quality='1' orientation='UNKNOWN'><data><![CDATA[line1\nline2]]>"
         "</data></symbol>"},
        {gs1, 1, DMTX_PLAIN, "DataMatrix:" + gs1},
        {gs1, 1, DMTX_XML,
         "<symbol type='DataMatrix' quality='1' orientation='UNKNOWN' modifiers='GS1'>"
         "<data format='base64' length='30'><![CDATA[\nMDEwOTUwMTEwMTUzMDAwMzEwQUJDMTIzHTIxWFla\n]]>"
         "</data></symbol>"},
        {"a]]>b", 0, DMTX_XML,
         "<symbol type='DataMatrix' quality='1' orientation='UNKNOWN'><data format='base64' "
         "length='5'><![CDATA[\nYV1dPmI=\n]]></data></symbol>"},
    };
    for(const Case &c : cases)
        EXPECT_EQ(printed(c.data, c.gs1, c.format), c.expected) << c.data;
}

TEST(DmtxSeen, ACodeComesAgainOnlyAfterItWasGone)
{
    struct Sighting {
        std::string code;
        unsigned long at_ms;
        int reported;
    };
    const std::vector<std::vector<Sighting>> runs = {
        // Held in view: once.
        {{"a", 0, 1}, {"a", 300, 0}, {"a", 2200, 0}, {"a", 4100, 0}},
        // Gone for the re-scan time: again.
        {{"a", 0, 1}, {"a", 1999, 0}, {"a", 3999, 1}},
        {{"a", 0, 1}, {"a", 1000, 0}, {"a", 5000, 1}},
        // Codes are remembered each on its own, stale ones dropped along the way.
        {{"a", 0, 1}, {"b", 100, 1}, {"a", 200, 0}, {"c", 3000, 1}, {"b", 3050, 1}, {"a", 3100, 1}},
        // Codes differing in a byte past a NUL are different codes.
        {{std::string("x\0y", 3), 0, 1}, {std::string("x\0z", 3), 10, 1}},
    };
    for(size_t r = 0; r < runs.size(); r++) {
        dmtx_seen_t *seen = dmtx_seen_create();
        for(const Sighting &s : runs[r]) {
            std::string data = s.code;
            dmtx_code_t code{reinterpret_cast<unsigned char *>(data.data()), unsigned(data.size()), 0};
            EXPECT_EQ(dmtx_seen_report(seen, &code, s.at_ms), s.reported)
                << "run " << r << ", sighting at " << s.at_ms;
        }
        dmtx_seen_destroy(seen);
    }
}

// The camera's thread, driven as zbarcam drives it: frames offered from another thread.
struct CameraPass : ::testing::Test {
    static inline HANDLE reported = nullptr, release = nullptr;
    static inline std::vector<std::string> codes;
    static inline std::vector<unsigned> seqs;

    static void report(const dmtx_code_t *found, int n, unsigned seq)
    {
        for(int i = 0; i < n; i++)
            codes.emplace_back(reinterpret_cast<char *>(found[i].data), found[i].len);
        seqs.push_back(seq);
        SetEvent(reported);
        WaitForSingleObject(release, INFINITE);
    }

    void SetUp() override
    {
        reported = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        codes.clear();
        seqs.clear();
        ASSERT_EQ(dmtx_camera_start(report, DMTX_PASS_FRAME_MS), 0);
    }
    void TearDown() override
    {
        SetEvent(release);
        dmtx_camera_stop();
        CloseHandle(reported);
        CloseHandle(release);
    }
    // Offers `frame` until the pass is idle and takes it: a wait by polling, for the previous
    // frame's scan to end.
    static void offer_when_idle(const Frame &frame, unsigned seq)
    {
        while(!dmtx_camera_offer(frame.grey.data(), frame.width, frame.height, seq))
            Sleep(5);
    }
};

TEST_F(CameraPass, ScansTheNewestFrameAndSkipsFramesWhileBusy)
{
    Frame with_code, other;
    draw(with_code, "first", 100, 100);
    draw(other, "second", 300, 200);
    offer_when_idle(with_code, 7);
    // The frame was copied: what the camera does to its buffer afterwards changes nothing.
    std::fill(with_code.grey.begin(), with_code.grey.end(), 0);
    ASSERT_EQ(WaitForSingleObject(reported, 60000), WAIT_OBJECT_0);
    // The pass is still busy with frame 7 (its report is held): frame 8 is skipped.
    EXPECT_EQ(dmtx_camera_offer(other.grey.data(), other.width, other.height, 8), 0);
    SetEvent(release);
    offer_when_idle(other, 9);
    ASSERT_EQ(WaitForSingleObject(reported, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(codes, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(seqs, (std::vector<unsigned>{7, 9}));
}

TEST_F(CameraPass, TakesNoFrameOnceStopped)
{
    SetEvent(release);
    dmtx_camera_stop();
    Frame frame;
    EXPECT_EQ(dmtx_camera_offer(frame.grey.data(), frame.width, frame.height, 1), 0);
    EXPECT_EQ(dmtx_camera_start(report, DMTX_PASS_FRAME_MS), 0);
    offer_when_idle(frame, 2);
}

} // namespace
