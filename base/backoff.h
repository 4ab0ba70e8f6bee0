// The back-off of work that asks an outside service again after a failure
// (the harvest's passes, the weather refresh): 5 s after the first failure,
// then twice as long after each further one up to 30 minutes; a success
// ends it.
#pragma once

#include <algorithm>
#include <cstdint>

inline constexpr int32_t kBackoffFirstSeconds = 5;
inline constexpr int32_t kBackoffLongestSeconds = 30 * 60;

// The back-off after one more attempt, from the one before it (0: none).
constexpr int32_t NextBackoffSeconds(int32_t seconds, bool succeeded) {
    return succeeded      ? 0
           : seconds <= 0 ? kBackoffFirstSeconds
                          : std::min(seconds * 2, kBackoffLongestSeconds);
}
