// The order of the user's photos: shuffled, every photo once before any is
// shown again, over a list that may still grow while it is drawn from.
// Indices not yet drawn wait in `undrawn`; photos appended to the list join
// them. The next draw is chosen ahead (PeekDeck), so that the photo decoded
// in advance is the one shown. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

struct ShuffleDeck {
    std::vector<int32_t> undrawn;
    int32_t known = 0;  // list indices below this have joined the deck
    int32_t next = -1;  // the next draw, once chosen; no longer in `undrawn`
    int32_t last = -1;  // the index drawn last
    uint64_t random = 0;
};

// An empty deck whose draws follow `seed`.
void ResetDeck(ShuffleDeck& deck, uint64_t seed);
// The index the next DrawDeck gives for a list of `count` photos; -1 when
// the list is empty. A list shorter than before (replaced) starts a new deck.
int32_t PeekDeck(ShuffleDeck& deck, int32_t count);
// Draws that index. When every index has been drawn the deck fills again,
// and its first draw is not the one drawn last (unless it is the only one).
int32_t DrawDeck(ShuffleDeck& deck, int32_t count);
