#pragma once
// A window timer as plain state. A backend attaches a view that keeps a real (or virtual)
// timer running while the timer is enabled and calls tick() when it fires.
#include <functional>
#include <string>

namespace tolvira {

class Timer;

class TimerView {
  public:
    virtual ~TimerView() = default;
    // Enabled state or interval changed: (re)start the countdown, or stop it.
    virtual void timerChanged(Timer& timer) = 0;
};

class Timer {
  public:
    Timer(std::string name, int intervalMs, bool enabled, std::string tag = {});
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& name() const { return name_; }
    int interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // A running timer starts its countdown again with the new interval.
    void setInterval(int intervalMs);
    const std::string& tag() const { return tag_; }
    void setTag(std::string tag) { tag_ = std::move(tag); }

    void attach(TimerView* view) { view_ = view; }

    std::function<void()> onTick;
    void tick();

  private:
    std::string name_;
    int interval_;
    bool enabled_;
    std::string tag_;
    TimerView* view_ = nullptr;
};

}  // namespace tolvira
