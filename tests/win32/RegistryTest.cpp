#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/Text.h"
#include "platform/win32/Win32Registry.h"

namespace tolvira::win32::test {
namespace {

using Status = RegistryValue::Status;

class RegistryTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteTreeW(hive, widen(root).c_str());
            RegDeleteKeyW(hive, L"Software\\TolviraTests");  // only when no other run uses it
        }
    }

    void setRaw(DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, widen(key).c_str(), L"raw", type, data, bytes),
                  ERROR_SUCCESS);
    }

    const std::string root = "Software\\TolviraTests\\" + std::to_string(GetCurrentProcessId());
    const std::string key = root + "\\Setting";
    Win32Registry registry;
};

TEST_F(RegistryTest, TextComesBackAsWritten) {
    const std::string huge(100000, 'z');
    for (const std::string& text : {std::string("1"), std::string(""),
                                    std::string("QR-Code:\xE4\xB8\xAD\xE6\x96\x87 a:b"), huge}) {
        ASSERT_TRUE(registry.set(Hive::CurrentUser, key, "OldBar", text));
        const RegistryValue value = registry.get(Hive::CurrentUser, key, "OldBar");
        EXPECT_EQ(value.status, Status::Text);
        EXPECT_EQ(value.text, text) << text.size();
    }
}

TEST_F(RegistryTest, AbsentValuesAndKeysReadAsAbsent) {
    EXPECT_EQ(registry.get(Hive::CurrentUser, key, "c1").status, Status::Absent);
    ASSERT_TRUE(registry.set(Hive::CurrentUser, key, "c2", "0"));
    EXPECT_EQ(registry.get(Hive::CurrentUser, key, "c1").status, Status::Absent);
}

TEST_F(RegistryTest, NulBytesInsideTheTextComeBackToo) {
    for (const std::string& text :
         {std::string("QR-Code:a\0b", 11), std::string("\0", 1), std::string("end\0\0", 5)}) {
        ASSERT_TRUE(registry.set(Hive::CurrentUser, key, "OldBar", text));
        const RegistryValue value = registry.get(Hive::CurrentUser, key, "OldBar");
        EXPECT_EQ(value.status, Status::Text);
        EXPECT_EQ(value.text, text) << text.size();
    }
}

TEST_F(RegistryTest, TextWrittenWithoutItsTerminatorReadsWhole) {
    setRaw(REG_SZ, L"abc", 3 * sizeof(wchar_t));
    EXPECT_EQ(registry.get(Hive::CurrentUser, key, "raw").text, "abc");
}

TEST_F(RegistryTest, StringsOfOtherTypesAreOtherTextAsStored) {
    const wchar_t expandable[] = L"%TEMP%\\Scan.exe RUN";
    setRaw(REG_EXPAND_SZ, expandable, sizeof expandable);
    RegistryValue value = registry.get(Hive::CurrentUser, key, "raw");
    EXPECT_EQ(value.status, Status::OtherText);
    EXPECT_EQ(value.text, "%TEMP%\\Scan.exe RUN");
    const wchar_t multi[] = L"one\0two\0";
    setRaw(REG_MULTI_SZ, multi, sizeof multi);
    value = registry.get(Hive::CurrentUser, key, "raw");
    EXPECT_EQ(value.status, Status::OtherText);
    EXPECT_EQ(value.text, std::string("one\0two", 7));
    setRaw(REG_EXPAND_SZ, L"", sizeof(wchar_t));
    value = registry.get(Hive::CurrentUser, key, "raw");
    EXPECT_EQ(value.status, Status::OtherText);
    EXPECT_EQ(value.text, "");
}

TEST_F(RegistryTest, ValuesOfOtherTypesAreNotText) {
    const DWORD number = 1;
    setRaw(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(registry.get(Hive::CurrentUser, key, "raw").status, Status::OtherType);
    setRaw(REG_BINARY, "1", 1);
    EXPECT_EQ(registry.get(Hive::CurrentUser, key, "raw").status, Status::OtherType);
}

TEST_F(RegistryTest, RemoveDeletesOnceAndFailsWhenAbsent) {
    ASSERT_TRUE(registry.set(Hive::CurrentUser, key, "c4", "1"));
    EXPECT_TRUE(registry.remove(Hive::CurrentUser, key, "c4"));
    EXPECT_EQ(registry.get(Hive::CurrentUser, key, "c4").status, Status::Absent);
    EXPECT_FALSE(registry.remove(Hive::CurrentUser, key, "c4"));
    EXPECT_FALSE(registry.remove(Hive::CurrentUser, key + "\\Missing", "c4"));
}

TEST_F(RegistryTest, TheMachineHiveIsTheMachineHive) {
    if (!registry.set(Hive::LocalMachine, key, "Tolvira", "C:\\Scan\\Tolvira.exe RUN")) {
        GTEST_SKIP() << "no write access to HKEY_LOCAL_MACHINE";
    }
    wchar_t data[64];
    DWORD bytes = sizeof data;
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, widen(key).c_str(), L"Tolvira", RRF_RT_REG_SZ,
                           nullptr, data, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(narrow(data), "C:\\Scan\\Tolvira.exe RUN");
    EXPECT_EQ(registry.get(Hive::CurrentUser, key, "Tolvira").status, Status::Absent);
    EXPECT_EQ(registry.get(Hive::LocalMachine, key, "Tolvira").text, "C:\\Scan\\Tolvira.exe RUN");
    EXPECT_TRUE(registry.remove(Hive::LocalMachine, key, "Tolvira"));
}

}  // namespace
}  // namespace tolvira::win32::test
