// The Wikimedia Commons source of the harvest: lists the chosen Commons
// gallery through the Action API and stores its photos, each with its
// credit inside the file, under the page id's name ("81754323.jpg").
//
// Politeness, as Wikimedia asks: every request names the saver (the
// descriptive agent); the harvest thread is the only one that talks to
// Wikimedia, so one API call and one download run at a time, never
// together. A maxlag or ratelimited error, a 429 or a 503 holds that
// kind of request (API or media) back for its Retry-After, at least 5 s,
// before the next one; the hold outlives the pass.
#pragma once

#include <cstdint>
#include <string>

#include "base/backoff.h"

// The listing of the last call, kept in the data folder: its last-write
// time is the refresh time a later start finds.
inline constexpr char16_t kCommonsListingName[] = u"listing.json";
// API calls of one pass, continuations and widened windows included.
inline constexpr int kCommonsCallsPerPass = 6;
// A hold asked by the servers is at least this long, and at most the
// longest back-off.
inline constexpr int32_t kCommonsHoldShortestSeconds = 5;
inline constexpr int32_t kCommonsHoldLongestSeconds = kBackoffLongestSeconds;

// One pass over the chosen Commons gallery (harvest thread): up to 20 new
// photos. True when a listing arrived.
bool HarvestFromCommons();

// The largest width or height among the monitors, which picks the
// thumbnail width. Set by the drawing thread before it starts a harvest.
void SetLargestMonitorExtent(int pixels);

// One line per cached photo that carries a credit, by file name:
// "name<TAB>author<TAB>licence<TAB>page<TAB>title\n".
std::string PhotoCreditLines();
