#include "platform/gui/timer.h"

#include "platform/gui/application.h"

TTimer::TTimer(TApplication& app) : app_(app) {
    Restart();
}
TTimer::TTimer() : TTimer(Application()) {}
TTimer::~TTimer() {
    app_.RemoveTimer(this);
}

void TTimer::SetInterval(uint32_t ms) {
    interval_ = ms;
    Restart();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Restart();
}

void TTimer::Restart() {
    app_.RemoveTimer(this);
    if (Active()) {
        due_ = app_.Clock().NowMs() + interval_;
        app_.AddTimer(this);
    }
}
