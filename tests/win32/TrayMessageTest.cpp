#include "platform/win32/Win32Tray.h"

#include <gtest/gtest.h>

namespace tolvira::win32 {
namespace {

constexpr uint32_t kIconId = 0x0001'0029;  // an icon handle's value
constexpr uint32_t kMouseMove = 0x200;
constexpr uint32_t kLeftButtonUp = 0x202;
constexpr uint32_t kRightButtonUp = 0x205;

TEST(TrayMessageTest, NotificationFromTheIconYieldsItsMouseMessage) {
    EXPECT_EQ(decodeTrayMessage(kIconId, kLeftButtonUp, kIconId), kLeftButtonUp);
    EXPECT_EQ(decodeTrayMessage(kIconId, kRightButtonUp, kIconId), kRightButtonUp);
    EXPECT_EQ(decodeTrayMessage(kIconId, kMouseMove, kIconId), kMouseMove);
}

TEST(TrayMessageTest, OnlyTheLowWordOfLParamIsTheMouseMessage) {
    // Newer shells may put more in the high word; the message stays in the low one.
    EXPECT_EQ(decodeTrayMessage(kIconId, 0x0005'0202, kIconId), kLeftButtonUp);
    EXPECT_EQ(decodeTrayMessage(kIconId, -0x7FFF'FDFE, kIconId), kLeftButtonUp);
}

TEST(TrayMessageTest, RealMouseMoveIsNeverANotification) {
    // A real move at x = 514 carries the same low word as a left-button release.
    constexpr int64_t at514 = (10 << 16) | 514;
    EXPECT_EQ(decodeTrayMessage(0, at514, kIconId), std::nullopt);
    EXPECT_EQ(decodeTrayMessage(0x0001 /* MK_LBUTTON */, at514, kIconId), std::nullopt);
    EXPECT_EQ(decodeTrayMessage(0x0002 /* MK_RBUTTON */, kLeftButtonUp, kIconId), std::nullopt);
}

TEST(TrayMessageTest, AnotherIconIdentifierIsNotOurs) {
    EXPECT_EQ(decodeTrayMessage(kIconId + 1, kLeftButtonUp, kIconId), std::nullopt);
    // wParam is pointer-sized: a value that only matches in its low 32 bits doesn't match.
    EXPECT_EQ(decodeTrayMessage(0x1'0000'0000ull | kIconId, kLeftButtonUp, kIconId), std::nullopt);
}

}  // namespace
}  // namespace tolvira::win32
