#pragma once
#include <cstdint>

#include "platform/clock.h"

namespace tessellon {

struct Session;

// The one generator every random choice of a build draws from: a 24-bit linear
// congruential generator. Callers re-seed it often (Randa) and never keep a sequence running.
class RandomSource {
public:
    static constexpr std::uint32_t kModulus = 1u << 24;
    static constexpr std::uint64_t kMultiplier = 1140671485u;  // 0x43FD43FD
    static constexpr std::uint64_t kIncrement = 12820163u;      // 0xC39EC3

    // Next value in [0, 1).
    float Draw();
    // Mixes a number into the state; the state before still counts, so re-seeding with the
    // same number between draws does not repeat a value.
    void Reseed(double number);

    std::uint32_t State() const { return state_; }
    void SetState(std::uint32_t s) { state_ = s & (kModulus - 1); }

private:
    std::uint32_t state_ = 0x50000;
};

// The clock reading a re-seed takes: the clock's now, noted for the level's record, or during a
// replay the next recorded reading (a record that runs out is a BuildFailure).
ClockTime SeedClock(Session& s);
// A build begins: the readings start afresh, and a replay puts the generator where the
// recorded build had it.
void BeginSeedReadings(Session& s);

// Re-seeds the session's generator: from the custom seed when that is ticked, otherwise
// three times from the clock mixed with draws.
void Randa(Session& s);

// The maze walk's coin: re-seeds from the clock (custom seed or not), draws once and swaps
// the two values when the draw is above one half.
template <typename T>
void Flip(T& a, T& b) {
    T t = a;
    a = b;
    b = t;
}

bool MightFlipDraw(Session& s);  // the re-seed and the draw; true means swap

template <typename T>
bool MightFlip(Session& s, T& a, T& b) {
    if (!MightFlipDraw(s)) return false;
    Flip(a, b);
    return true;
}

}  // namespace tessellon
