#pragma once
// A MainForm over the fake backend, its timers on the virtual clock.
#include <gtest/gtest.h>

#include <memory>

#include "app/MainForm.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira::test {

inline constexpr const char* kBarDat = "C:\\Scan\\bar.dat";
inline constexpr const char* kDataTxt = "C:\\Scan\\data.txt";

class FormTest : public ::testing::Test {
  protected:
    // Makes the form; tests may arrange the fakes first and call this themselves.
    MainForm& form() {
        if (!form_) {
            form_ = std::make_unique<MainForm>(fx.services);
            for (Timer* t : form_->timers()) fx.clock.attach(*t);
        }
        return *form_;
    }
    MainForm& started() {
        form().load();
        return *form_;
    }
    void advance(int64_t ms) { fx.clock.advance(ms); }
    std::string oldBar() const {
        const auto it = fx.registry.values.find(
            fake::FakeRegistry::path(Hive::CurrentUser, kSettingsKey, "OldBar"));
        return it == fx.registry.values.end() ? std::string("<absent>") : it->second.text;
    }
    void setOldBar(const std::string& text) {
        fx.registry.set(Hive::CurrentUser, kSettingsKey, "OldBar", text);
    }

    fake::FakePlatform fx;

  private:
    std::unique_ptr<MainForm> form_;
};

}  // namespace tolvira::test
