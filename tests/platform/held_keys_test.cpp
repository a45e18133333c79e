// Held keys in a terminal: the kitty protocol's reports, and releases
// guessed from auto-repeat where a terminal has no such reports.
#include <gtest/gtest.h>

#include "platform/key_stream.h"
#include "platform/repeat_release.h"

namespace orv {
namespace {

std::vector<StreamKey> decode(KeyStream& stream, const std::string& bytes) {
    std::vector<StreamKey> keys;
    stream.feed(bytes.data(), bytes.size(), keys);
    return keys;
}

TEST(KeyStream, ReadsKittyPressesRepeatsReleasesAndModifiers) {
    KeyStream stream;
    using K = StreamKey;
    EXPECT_EQ(decode(stream, "\x1b[97u\x1b[97;1:2u\x1b[97;1:3u"),
              (std::vector<K>{{'a', K::Press}, {'a', K::Repeat}, {'a', K::Release}}));
    EXPECT_EQ(decode(stream, "\x1b[32;1u\x1b[32;1:1u\x1b[A\x1b[1;1:2A\x1b[1;1:3D"),
              (std::vector<K>{{KeySpace, K::Press}, {KeySpace, K::Press}, {KeyUp, K::Press}, {KeyUp, K::Repeat},
                              {KeyLeft, K::Release}}));
    EXPECT_EQ(decode(stream, "\x1b[99;5u\x1b[100;2u\x1b[27u"),
              (std::vector<K>{{'c', K::Press, 4}, {'d', K::Press, 1}, {KeyEscape, K::Press}}));
    // The protocol query's answers are told apart from keys.
    EXPECT_EQ(decode(stream, "\x1b[?11u\x1b[?62;22c"),
              (std::vector<K>{{K::kFlagsReply}, {K::kAttributesReply}}));
}

TEST(KeyStream, KeepsASplitSequenceAndTellsALoneEscape) {
    KeyStream stream;
    EXPECT_TRUE(decode(stream, "\x1b").empty());
    EXPECT_TRUE(decode(stream, "[1;1").empty());
    EXPECT_EQ(decode(stream, ":3B"), (std::vector<StreamKey>{{KeyDown, StreamKey::Release}}));
    // Plain terminals: letters, application-mode arrows, Escape on its own.
    EXPECT_EQ(decode(stream, "D \x1bOC"), (std::vector<StreamKey>{{'d'}, {KeySpace}, {KeyRight}}));
    EXPECT_TRUE(decode(stream, "\x1b").empty());
    std::vector<StreamKey> keys;
    stream.endOfBurst(keys);
    EXPECT_EQ(keys, (std::vector<StreamKey>{{KeyEscape}}));
    EXPECT_FALSE(stream.holdsPartial());
    // Noise never grows without end.
    EXPECT_TRUE(decode(stream, "\x1b[" + std::string(5000, '1')).empty());
    EXPECT_EQ(decode(stream, "~x"), (std::vector<StreamKey>{{'x'}}));
}

TEST(RepeatRelease, AKeyIsHeldThroughItsRepeatsAndLetGoSoonAfter) {
    RepeatRelease keys;
    std::vector<KeyEvent> out;
    keys.key(KeyRight, 1000, out);
    EXPECT_EQ(out, (std::vector<KeyEvent>{{KeyRight, true}}));
    out.clear();
    // The terminal's repeat delay is bridged...
    keys.tick(1500, out);
    EXPECT_TRUE(out.empty());
    for (std::uint64_t t = 1500; t <= 2000; t += 33) keys.key(KeyRight, t, out);
    EXPECT_TRUE(out.empty());
    // ... and once the repeats stop, the key goes up well within a quarter second.
    keys.tick(1990 + 100, out);
    keys.tick(1990 + 200, out);
    EXPECT_EQ(out, (std::vector<KeyEvent>{{KeyRight, false}}));
    EXPECT_LT(keys.repeatWindowMs(), 250);

    // The delay it saw is what it bridges next time.
    EXPECT_EQ(keys.firstRepeatWindowMs(), 500 + 80);
    // A new key takes the repeats over: the old one is up at once.
    out.clear();
    keys.key(KeyUp, 5000, out);
    keys.key(KeySpace, 5010, out);
    EXPECT_EQ(out, (std::vector<KeyEvent>{{KeyUp, true}, {KeyUp, false}, {KeySpace, true}}));
    // A tap with no repeat is let go once the bridge has passed.
    out.clear();
    keys.tick(5010 + 580, out);
    EXPECT_TRUE(out.empty());
    keys.tick(5010 + 581, out);
    EXPECT_EQ(out, (std::vector<KeyEvent>{{KeySpace, false}}));
}

// The shooter polls once a frame (10 ms) and moves the ship one cell for
// every frame an arrow is down. `arrivals` are the times the terminal sent
// the key: its press and then its auto-repeats.
int cellsFlown(RepeatRelease& keys, int key, const std::vector<std::uint64_t>& arrivals, std::uint64_t start,
               int* downEvents = nullptr) {
    bool held = false;
    int cells = 0;
    std::size_t next = 0;
    for (std::uint64_t t = start; t < start + 3000; t += 10) {
        std::vector<KeyEvent> out;
        while (next < arrivals.size() && arrivals[next] <= t) {
            keys.key(key, t, out);
            ++next;
        }
        keys.tick(t, out);
        for (const KeyEvent& event : out) {
            held = event.down;
            if (event.down && downEvents) ++*downEvents;
        }
        if (held) ++cells;
    }
    return cells;
}

// xterm as it ships: the first repeat 659 ms after the press, then one every 40 ms.
std::vector<std::uint64_t> xtermHold(std::uint64_t press, int holdMs) {
    std::vector<std::uint64_t> times{press};
    for (std::uint64_t t = press + 659; t < press + static_cast<std::uint64_t>(holdMs); t += 40) times.push_back(t);
    return times;
}

TEST(RepeatRelease, ATapNudgesTheShipAndOnlyAutoRepeatFliesIt) {
    RepeatRelease keys;
    EXPECT_EQ(cellsFlown(keys, KeyRight, xtermHold(1000, 80), 1000), 3) << "a tap is a short step";
    EXPECT_EQ(cellsFlown(keys, KeyUp, xtermHold(10000, 300), 10000), 3) << "so is a hold shorter than the repeat delay";
    const int second = cellsFlown(keys, KeyLeft, xtermHold(20000, 1000), 20000);
    EXPECT_GE(second, 3 + 30);
    EXPECT_LE(second, 3 + 50) << "a hold flies while the repeats last, and stops soon after";
    EXPECT_EQ(cellsFlown(keys, KeyDown, {30000, 30150}, 30000), 6) << "two quick taps are two steps";
    EXPECT_EQ(cellsFlown(keys, KeyDown, {35000, 35500}, 35000), 6) << "and so are two taps half a second apart";
    // Keys that are not steering keep one press for the whole hold: the
    // spacebar switches firing on and off with each press.
    int presses = 0;
    cellsFlown(keys, KeySpace, xtermHold(40000, 1000), 40000, &presses);
    EXPECT_EQ(presses, 1);
}

}  // namespace
}  // namespace orv
