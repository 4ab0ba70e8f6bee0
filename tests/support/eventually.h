// Polling for work done on another thread, without a fixed sleep.
#pragma once

#include "base/clock.h"

// Calls `done` every 10 ms until it is true or `millis` have passed;
// its last answer.
template <typename F>
bool Eventually(F&& done, int millis = 5000) {
    for (int waited = 0; waited < millis; waited += 10) {
        if (done()) return true;
        SleepMillis(10);
    }
    return done();
}
