#include "platform/win32/Win32Timing.h"

namespace tolvira::win32 {

class Win32Timing::WindowTicker final : public Ticker {
  public:
    WindowTicker(Win32Timing& timing, UINT_PTR id, int intervalMs, std::function<void()> onTick)
        : timing_(timing), id_(id), interval_(intervalMs), onTick_(std::move(onTick)) {
        timing_.live_[id_] = this;
    }
    ~WindowTicker() override {
        KillTimer(timing_.window_, id_);
        timing_.live_.erase(id_);
    }
    WindowTicker(const WindowTicker&) = delete;
    WindowTicker& operator=(const WindowTicker&) = delete;

    bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        apply();
    }
    int interval() const override { return interval_; }
    void setInterval(int intervalMs) override {
        if (intervalMs == interval_) return;
        interval_ = intervalMs;
        if (enabled_) apply();
    }
    void tick() {
        if (enabled_ && onTick_) onTick_();
    }

  private:
    // SetTimer on a running id starts its countdown again.
    void apply() {
        if (enabled_) {
            SetTimer(timing_.window_, id_, static_cast<UINT>(interval_), nullptr);
        } else {
            KillTimer(timing_.window_, id_);
        }
    }

    Win32Timing& timing_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

std::unique_ptr<Ticker> Win32Timing::ticker(std::string, int intervalMs,
                                            std::function<void()> onTick) {
    return std::make_unique<WindowTicker>(*this, nextId_++, intervalMs, std::move(onTick));
}

void Win32Timing::fired(UINT_PTR id) {
    // A WM_TIMER already queued when its ticker stopped or went is not a tick.
    if (const auto found = live_.find(id); found != live_.end()) found->second->tick();
}

}  // namespace tolvira::win32
