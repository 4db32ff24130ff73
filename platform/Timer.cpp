#include "platform/Timer.h"

#include <utility>

namespace tolvira {

Timer::Timer(std::string name, int intervalMs, bool enabled, std::string tag)
    : name_(std::move(name)), interval_(intervalMs), enabled_(enabled), tag_(std::move(tag)) {}

void Timer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (view_) view_->timerChanged(*this);
}

void Timer::setInterval(int intervalMs) {
    if (intervalMs == interval_) return;
    interval_ = intervalMs;
    if (enabled_ && view_) view_->timerChanged(*this);
}

void Timer::tick() {
    if (enabled_ && onTick) onTick();
}

}  // namespace tolvira
