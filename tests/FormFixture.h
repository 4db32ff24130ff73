#pragma once
// A MainForm over the fake backend, its timers on the virtual clock, and the helpers the form's
// tests share.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira::test {

using Items = std::vector<std::string>;

inline constexpr const char* kBarDat = "C:\\Scan\\bar.dat";
inline constexpr const char* kBar2Dat = "C:\\Scan\\bar2.dat";
inline constexpr const char* kDataTxt = "C:\\Scan\\data.txt";
inline constexpr const char* kLoading = "[正在加载图像识别模块]";

inline std::string settingPath(const std::string& key) {
    return fake::FakeRegistry::path(Hive::CurrentUser, kSettingsKey, key);
}

class FormTest : public ::testing::Test {
  protected:
    // Makes the form; tests may arrange the fakes first and call this themselves.
    MainForm& form() {
        if (!form_) form_ = std::make_unique<MainForm>(fx.services);
        return *form_;
    }
    MainForm& started() {
        form().load();
        return *form_;
    }
    // Started, with the camera engine's launch made.
    MainForm& running() {
        MainForm& f = started();
        advance(1);
        return f;
    }
    void advance(int64_t ms) { fx.clock.advance(ms); }
    // Whether the form's timer of that name runs.
    bool ticking(const std::string& timer) const { return fx.clock.timer(timer).enabled(); }
    // The camera engine writes a line, and the next poll tick takes it.
    void scan(const Bytes& line) {
        fx.files.write(kBarDat, line + "\r\n");
        advance(100 - fx.clock.now() % 100);
    }

    // The program's stored settings.
    void store(const std::string& key, const std::string& text) {
        fx.registry.values[settingPath(key)] = {RegistryValue::Status::Text, text};
    }
    std::string stored(const std::string& key) const {
        const auto it = fx.registry.values.find(settingPath(key));
        return it == fx.registry.values.end() ? std::string("<absent>") : it->second.text;
    }
    std::string oldBar() const { return stored("OldBar"); }
    void setOldBar(const std::string& text) { store("OldBar", text); }
    // The options as the next start would load them.
    Options storedOptions() {
        const AutoStart autoStart{fx.registry, fx.services.env, {}};
        Options options = unloadedOptions();
        loadSettings(SettingsStore(fx.registry), options,
                     [&] { return autoStart.LoadAutoStart(); });
        return options;
    }

    // The Run value that starts the program at log-on.
    std::string runPath() const {
        return fake::FakeRegistry::path(Hive::LocalMachine, kRunKey, fx.services.env.exeName);
    }
    void storeRunValue(RegistryValue value) { fx.registry.values[runPath()] = std::move(value); }

    fake::FakePlatform fx;

  private:
    std::unique_ptr<MainForm> form_;
};

}  // namespace tolvira::test
