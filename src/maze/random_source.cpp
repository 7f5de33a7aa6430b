#include "maze/random_source.h"

#include <cstring>

#include "session/errors.h"
#include "session/session.h"
#include "session/text_helpers.h"

namespace tessellon {

float RandomSource::Draw() {
    state_ = static_cast<std::uint32_t>((state_ * kMultiplier + kIncrement) % kModulus);
    return static_cast<float>(state_) / static_cast<float>(kModulus);
}

void RandomSource::Reseed(double number) {
    // Fold all 64 bits of the number into 24, so that seeds differing only in a fraction or
    // only in a high digit still land on different states.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &number, sizeof bits);
    bits ^= bits >> 29;
    bits *= 0xBF58476D1CE4E5B9ull;
    bits ^= bits >> 32;
    const auto folded = static_cast<std::uint32_t>((bits ^ (bits >> 24) ^ (bits >> 48)) & (kModulus - 1));
    // Keep the earlier state in play: xor, then one step of the generator so the two are mixed.
    const std::uint64_t mixed = (state_ ^ folded) & (kModulus - 1);
    state_ = static_cast<std::uint32_t>((mixed * kMultiplier + kIncrement) % kModulus);
}

ClockTime SeedClock(Session& s) {
    SeedReadings& r = s.seedReadings;
    if (r.replaying) {
        if (r.next >= r.replay.size())
            throw BuildFailure("The level record holds fewer clock readings than this build takes, so it cannot be "
                               "replayed; it was made by another version of the program or from other rooms.");
        return r.replay[r.next++];
    }
    r.taken.push_back(s.clock.Now());
    return r.taken.back();
}

void BeginSeedReadings(Session& s) {
    SeedReadings& r = s.seedReadings;
    r.taken.clear();
    r.next = 0;
    if (r.replaying) s.random.SetState(r.replayState);
    r.startState = s.random.State();
}

void Randa(Session& s) {
    RandomSource& r = s.random;
    switch (s.settings.CustomSeed) {
    case CheckState::Unticked: {
        const ClockTime now = SeedClock(s);
        const float t = SecondsSinceMidnight(now);
        const float a = r.Draw();
        const float b = r.Draw();
        r.Reseed(static_cast<double>(t) + now.minute * static_cast<double>(a) + b);
        const float x1 = r.Draw();
        const float c = r.Draw();
        r.Reseed(-2313.06345 + now.hour + static_cast<double>(c) * x1);
        const float x2 = r.Draw();
        const ClockTime again = SeedClock(s);
        const float t2 = SecondsSinceMidnight(again);
        const float d = r.Draw();
        r.Reseed(static_cast<double>(t2) * again.second - x2 * 14.2562 + d);
        break;
    }
    case CheckState::Ticked: {
        // The text was checked before the build started; a value that still does not read
        // as a number leaves the state alone rather than inventing a seed.
        double seed = 0;
        if (TryToNumber(s, s.settings.CustomSeedBox, seed)) r.Reseed(seed);
        break;
    }
    case CheckState::Greyed:
        break;
    }
}

bool MightFlipDraw(Session& s) {
    const ClockTime now = SeedClock(s);
    const float t = SecondsSinceMidnight(now);
    s.random.Reseed(now.second + (937.7034 - t));
    return s.random.Draw() > 0.5f;
}

}  // namespace tessellon
