#include "slideshow/shuffle_deck.h"

#include <utility>

namespace {
// splitmix64: small, fast and good enough to shuffle photos.
uint64_t NextRandom(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void Join(ShuffleDeck& deck, int32_t count) {
    if (count < deck.known) {
        const uint64_t random = deck.random;
        ResetDeck(deck, random);
    }
    for (; deck.known < count; ++deck.known) deck.undrawn.push_back(deck.known);
}
}  // namespace

void ResetDeck(ShuffleDeck& deck, uint64_t seed) {
    deck = ShuffleDeck{};
    deck.random = seed;
}

int32_t PeekDeck(ShuffleDeck& deck, int32_t count) {
    Join(deck, count);
    if (deck.next >= 0) return deck.next;
    if (count <= 0) return -1;
    if (deck.undrawn.empty())
        for (int32_t i = 0; i < count; ++i) deck.undrawn.push_back(i);
    const std::size_t size = deck.undrawn.size();
    std::size_t at = static_cast<std::size_t>(NextRandom(deck.random) % size);
    if (deck.undrawn[at] == deck.last && size > 1) at = (at + 1) % size;
    deck.next = deck.undrawn[at];
    deck.undrawn[at] = deck.undrawn.back();
    deck.undrawn.pop_back();
    return deck.next;
}

int32_t DrawDeck(ShuffleDeck& deck, int32_t count) {
    const int32_t drawn = PeekDeck(deck, count);
    deck.next = -1;
    deck.last = drawn;
    return drawn;
}
