// The preview source run in the emulated TI-83 under the write guard, and
// read by pasmo.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace torvex::engine;
using namespace torvex::engine::test;
namespace z80 = torvex::z80;

namespace {

void expectModelsFrames(const std::vector<z80::Frame>& got, const Scene& scene,
                        const std::vector<uint8_t>& k) {
    const std::vector<Frame> want = run(scene, k);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        if (const std::string d = frameDifference(got[i], want[i]); !d.empty())
            return ADD_FAILURE() << "frame " << i << " (after " << i << " keys) differs: " << d;
}

void expectSameFrames(const z80::Assembly& a, const Scene& scene, const std::vector<uint8_t>& k) {
    const RunOutcome out = runProgram(a, k);
    const bool quits = std::find(k.begin(), k.end(), keys::Mode) != k.end();
    EXPECT_EQ(out.result.reason, quits ? z80::StopReason::Returned : z80::StopReason::KeysExhausted)
        << out.result.message;
    expectModelsFrames(out.frames, scene, k);
}

void expectSameFrames(const Scene& scene, const std::vector<uint8_t>& keys) {
    expectSameFrames(assemblePreview(previewSourceText(lineRecords(scene))), scene, keys);
}

bool visible(const std::array<uint8_t, 768>& graphBuffer) {
    return std::count(graphBuffer.begin(), graphBuffer.end(), 0) < 768;
}

// Runs the program key by key, powering down inside _GetKey before the key
// `powerDownAt`; returns the calculator's frames.
std::vector<z80::Frame> stepped(z80::Ti83& calc, const z80::Assembly& a,
                                const std::vector<uint8_t>& keys, size_t powerDownAt) {
    load(calc, a);
    calc.start();
    for (size_t i = 0; i < keys.size(); ++i) {
        const z80::RunResult r = calc.runUntilKeyWanted();
        EXPECT_EQ(r.reason, z80::StopReason::KeyWanted) << r.message;
        if (i == powerDownAt)
            calc.powerDown();
        calc.pressKey(keys[i]);
    }
    EXPECT_EQ(calc.runUntilKeyWanted().reason, z80::StopReason::KeyWanted);
    return calc.frames();
}

Point pt(int x, int y, int z) {
    return {static_cast<int8_t>(x), static_cast<int8_t>(y), static_cast<int8_t>(z)};
}

// A random coordinate: mostly near the walk, sometimes anywhere in a byte.
int8_t coordinate(std::mt19937& rng, int spread) {
    std::uniform_int_distribution<int> pick(0, 9);
    if (pick(rng) == 0)
        return static_cast<int8_t>(std::uniform_int_distribution<int>(-127, 127)(rng));
    return static_cast<int8_t>(std::uniform_int_distribution<int>(-spread, spread)(rng));
}

Scene randomScene(std::mt19937& rng, int segments, int spread) {
    Scene s;
    for (int i = 0; i < 2 * segments; ++i)
        s.push_back(pt(coordinate(rng, spread), coordinate(rng, spread),
                       std::uniform_int_distribution<int>(-15, 15)(rng)));
    return s;
}

// Keys written one character each: ^ v < > for the arrows, D DEL, S STAT,
// V VARS, C CLEAR, M MODE.
std::vector<uint8_t> keysOf(const std::string& text) {
    static const std::map<char, uint8_t> key = {
        {'^', keys::Up},    {'v', keys::Down},  {'<', keys::Left},
        {'>', keys::Right}, {'D', keys::Del},   {'S', keys::Stat},
        {'V', keys::Vars},  {'C', keys::Clear}, {'M', keys::Mode}};
    std::vector<uint8_t> k;
    for (char c : text)
        k.push_back(key.at(c));
    return k;
}

std::vector<uint8_t> randomKeys(std::mt19937& rng, int count) {
    // The engine's keys (forward steps more likely) and some that do nothing.
    std::vector<uint8_t> pool = keysOf("><^vCDDDSV><");
    pool.insert(pool.end(), {0x05, 0x22, 0x00, 0xFF});
    std::vector<uint8_t> k;
    for (int i = 0; i < count; ++i)
        k.push_back(pool[std::uniform_int_distribution<int>(0, pool.size() - 1)(rng)]);
    return k;
}

// A ring of upright posts around the start, so that every heading sees some.
Scene posts(int radius) {
    Scene s;
    for (int i = 0; i < 12; ++i) {
        const double angle = i * 30 * 3.14159265358979 / 180;
        const int x = std::lround(radius * std::sin(angle)),
                  y = std::lround(radius * std::cos(angle));
        s.insert(s.end(), {pt(x, y, -6), pt(x, y, 2 + i % 5), pt(x, y, -6), pt(x / 2, y / 2, -6)});
    }
    return s;
}

// A calculator with the bare engine loaded, the heading set up and makedata run.
struct Direct {
    z80::Ti83 calc;
    const z80::Assembly& a = bareEngine();
    explicit Direct(int heading) {
        load(calc, a);
        z80::Registers in, out;
        in.bc = static_cast<uint16_t>(heading);
        call("setheading", in, &out);
        calc.poke(0x8276, out.hl & 0xFF); // looking
        calc.poke(0x8277, out.hl >> 8);
        calc.poke(0x8266, kDrawDistance);
        call("makedata", {}, nullptr);
    }
    void call(const std::string& routine, z80::Registers in, z80::Registers* out) {
        z80::RunResult r = calc.callRoutine(label(a, routine), in, out);
        ASSERT_EQ(r.reason, z80::StopReason::Returned) << routine << ": " << r.message;
    }
};

uint16_t pair(int high, int low) {
    return static_cast<uint16_t>((static_cast<uint8_t>(high) << 8) | static_cast<uint8_t>(low));
}

// Walks whose every frame must be the model's: each reaches a corner of the
// engine the random scenes rarely do (MODE, wrapping bytes, every depth in
// one frame, zero bytes, the 71-segment limit).
struct Walk {
    const char* what;
    Scene scene;
    std::vector<uint8_t> keys;
};

std::vector<Walk> walks() {
    std::vector<Walk> w;
    const Scene house = parseLineRecords(sceneText("house.txt"));
    w.push_back({"the house, every key, MODE ends it", house, keysOf("DDDDDD>>CCVS^^v<MD")});
    w.push_back({"every heading, turning across 0 both ways", posts(20), // 0 -> 35 -> 0 -> 1
                 keysOf(std::string(37, '>') + std::string(38, '<'))});
    w.push_back({"walking far enough for the bytes to wrap", posts(25), // x and y past 127
                 keysOf(std::string(5, '>') + std::string(300, 'D') + "<<" + std::string(60, 'V') +
                        std::string(40, 'S'))});
    w.push_back({"up and down round the byte", posts(15),
                 keysOf(std::string(130, '^') + std::string(140, 'v'))});

    Scene depths; // more depths in a frame than the graph buffer keeps tables for
    for (int d = 1; d <= 40; ++d)
        depths.insert(depths.end(), {pt(-d / 2, d, -d / 3), pt(d / 2, d, d / 3)});
    w.push_back({"every distance ahead in one frame", depths, keysOf(">>D<<<S^Cv")});

    Scene zeros; // ends in column 0 or row 0 (the byte 0: "not on the display")
    std::mt19937 rng(7);
    while (zeros.size() < 142) {
        const Point p = pt(coordinate(rng, 50), coordinate(rng, 50),
                           std::uniform_int_distribution<int>(-40, 40)(rng));
        const std::optional<Pixel> px = project(p, viewRay(0));
        if ((px && (static_cast<uint8_t>(px->column) == 0 || static_cast<uint8_t>(px->row) == 0)) ||
            zeros.size() % 7 == 0)
            zeros.insert(zeros.end(), {p, {0, 20, 0}});
    }
    w.push_back({"zero bytes leave the segment out", zeros, keysOf("^vv")});

    std::mt19937 many(71);
    Scene crowd = randomScene(many, 120, 25);
    for (Point& p : crowd) // all ahead and near: the segments after the 71st would show
        p = pt(p.x % 12, 15 + std::abs(p.y) % 20, p.z % 10);
    w.push_back({"more than 71 segments: the first 71 are drawn", crowd, keysOf("<>>D")});
    return w;
}

} // namespace

TEST(EngineEmulator, EveryFrameOfTheWalksIsTheModels) {
    for (const Walk& walk : walks()) {
        SCOPED_TRACE(walk.what);
        expectSameFrames(walk.scene, walk.keys);
    }
}

TEST(EngineEmulator, APowerDownInGetkeyLosesNothing) {
    // The display is saved over the engine's variables at the third key.
    const Scene scene = parseLineRecords(sceneText("house.txt"));
    const std::vector<uint8_t> k = keysOf("DD>DV^");
    z80::Ti83 calc;
    const std::vector<z80::Frame> frames =
        stepped(calc, assemblePreview(previewSourceText(lineRecords(scene))), k, 2);
    expectModelsFrames(frames, scene, k);
    // The display did go over saveSScreen, behind the variables.
    for (uint16_t i = 39; i < 768; ++i)
        ASSERT_EQ(calc.peek(0x8265 + i), frames[2].graphBuffer[i]) << i;
}

TEST(EngineEmulator, RandomScenesAndKeys) {
    std::mt19937 rng(20240607);
    int visibleFrames = 0;
    for (int round = 0; round < 40; ++round) {
        const int segments = round < 4 ? round : std::uniform_int_distribution<int>(1, 71)(rng);
        Scene scene = randomScene(rng, segments, round % 2 ? 30 : 60);
        std::vector<uint8_t> k = randomKeys(rng, 40);
        SCOPED_TRACE("round " + std::to_string(round));
        expectSameFrames(scene, k);
        for (const Frame& f : run(scene, k))
            visibleFrames += visible(f.bytes);
    }
    EXPECT_GT(visibleFrames, 350); // the scenes were seen, not only empty frames compared
}

// Same frames, power-down included; each frame's three rst 28h take 6 fewer
// T-states than the TI-83's calls.
TEST(EngineEmulator, ThePlusFamilyDrawsTheFramesOfTheTi83) {
    std::mt19937 rng(8302);
    int visibleFrames = 0;
    for (int round = 0; round < 10; ++round) {
        const int segments = round % 3 == 0 ? 80 : std::uniform_int_distribution<int>(1, 71)(rng);
        const std::vector<std::string> records =
            lineRecords(randomScene(rng, segments, round % 2 ? 30 : 60));
        std::vector<uint8_t> k = randomKeys(rng, 40);
        k.insert(k.end(), 40, round % 2 ? keys::Left : keys::Up); // headings wrap, climbing
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<z80::Frame> frames[2];
        for (z80::Model model : {z80::Model::Ti83, z80::Model::Ti83Plus}) {
            z80::Ti83 calc(model);
            const bool plus = model == z80::Model::Ti83Plus;
            frames[plus] = stepped(
                calc,
                assemblePreview(plus ? plusPreviewSource(records) : previewSourceText(records)), k,
                5);
        }
        ASSERT_EQ(frames[1].size(), frames[0].size());
        for (size_t i = 0; i < frames[0].size(); ++i) {
            EXPECT_EQ(frames[1][i].graphBuffer, frames[0][i].graphBuffer) << "frame " << i;
            EXPECT_EQ(frames[1][i].tstates + 3 * 6, frames[0][i].tstates) << "frame " << i;
            visibleFrames += visible(frames[0][i].graphBuffer);
        }
    }
    EXPECT_GT(visibleFrames, 200);
}

TEST(EngineEmulator, TheSceneEndsAtAnXOfMinus128AndALonePointIsNotDrawn) {
    const Scene scene = posts(12);
    std::vector<std::string> records = lineRecords(scene);
    records.insert(records.begin() + 2, "-128,   5,   0,  10,  10,  10");
    const std::vector<uint8_t> k{keys::Del, keys::Right};
    expectSameFrames(assemblePreview(previewSourceText(records)),
                     Scene(scene.begin(), scene.begin() + 4), k);
    std::string source = previewSourceText(lineRecords(scene));
    const std::string marker = "        .db 128\r\n";
    source.replace(source.find(marker), marker.size(), "        .db 3,20,5\r\n" + marker);
    Scene withLone = scene;
    withLone.push_back({3, 20, 5});
    expectSameFrames(assemblePreview(source), withLone, k);
    EXPECT_EQ(run(withLone, k), run(scene, k));
}

TEST(EngineEmulator, TheBenchmarkScenesMedianFrameIsWithin300000Tstates) {
    // Engine T-states alone, 30 steps back on each heading: 20 frames/s at 6 MHz.
    const z80::Assembly a =
        assemblePreview(previewSourceText(lineRecords(parseLineRecords(sceneText("bench71.txt")))));
    std::vector<uint64_t> tstates;
    for (int heading = 0; heading < kHeadings; ++heading) {
        const RunOutcome out =
            runProgram(a, keysOf(std::string(heading, '>') + std::string(30, 'S')));
        ASSERT_EQ(out.result.reason, z80::StopReason::KeysExhausted) << out.result.message;
        tstates.push_back(out.frames.back().tstates);
    }
    std::sort(tstates.begin(), tstates.end());
    EXPECT_LE((tstates[17] + tstates[18]) / 2, 300'000u);
}

TEST(EngineRoutines, TorvexTorvex2AndFindxyMatchTheModel) {
    std::mt19937 rng(2);
    for (int heading = 0; heading < kHeadings; ++heading) {
        Direct d(heading);
        const ViewRay ray = viewRay(heading);
        for (int i = 0; i < 120; ++i) {
            const Point p = pt(coordinate(rng, 45), coordinate(rng, 45), coordinate(rng, 30));
            SCOPED_TRACE("heading " + std::to_string(heading) + " point " + std::to_string(p.x) +
                         "," + std::to_string(p.y) + "," + std::to_string(p.z));
            z80::Registers in, out;
            in.de = pair(p.x, p.y);
            in.bc = static_cast<uint8_t>(p.z);
            const std::optional<Pixel> want = project(p, ray);
            for (const char* routine : {"torvex", "torvex2"}) {
                d.call(routine, in, &out);
                ASSERT_EQ(out.a(), want ? 0 : 128) << routine;
                EXPECT_TRUE(!want || (out.b() == static_cast<uint8_t>(want->column) &&
                                      out.c() == static_cast<uint8_t>(want->row)))
                    << routine << " " << int(out.b()) << "," << int(out.c());
            }
            d.call("findxy", in, &out);
            const std::optional<HeadingPoint> turned = findxy(p.x, p.y, ray);
            ASSERT_EQ(out.a(), turned ? 0 : 128);
            if (!turned) {
                EXPECT_EQ(out.de, pair(p.x, p.y));
                continue;
            }
            EXPECT_EQ(static_cast<int8_t>(out.d()), turned->side);
            EXPECT_EQ(static_cast<int8_t>(out.e()), turned->ahead);
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x826C)), turned->side);  // returnx
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x826D)), turned->ahead); // returny
        }
    }
}

TEST(EngineRoutines, RadianMovesAlongAHeadingsPattern) {
    Direct d(0);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> byte(-128, 127), heading(0, 35), steps(0, 255);
    for (int i = 0; i < 300; ++i) {
        const int h = heading(rng), n = steps(rng);
        const int8_t x = static_cast<int8_t>(byte(rng)), y = static_cast<int8_t>(byte(rng));
        z80::Registers in, out;
        in.bc = pair(h, n);
        in.de = pair(x, y);
        d.call("radian", in, &out);
        const std::array<int8_t, 2> want = radian(x, y, h, n);
        EXPECT_EQ(static_cast<int8_t>(out.d()), want[0]) << h << " " << n;
        EXPECT_EQ(static_cast<int8_t>(out.e()), want[1]) << h << " " << n;
    }
}

// Debian's pasmo, on the translated preview source, gives our assembler's bytes
// (the TI-83 build, and for `plus` the TI-83 Plus family's).
TEST(EnginePasmo, TheBareEngineTheCommittedScenesAndARandomSceneOfMoreThan71Segments) {
    const auto expectSameBytes = [](const std::vector<std::string>& records, bool plus) {
        const std::string source = plus ? plusPreviewSource(records) : previewSourceText(records);
        const z80::Assembly ours = assemblePreview(source);
        ASSERT_EQ(ours.origin, plus ? 0x9D93 : 0x9327);
        torvex::test::expectPasmoGivesSameBytes(ours, torvex::test::translateToPasmo(source));
    };
    expectSameBytes({}, false);
    for (const char* name : {"house.txt", "bench71.txt"})
        for (bool plus : {false, true})
            expectSameBytes(lineRecords(parseLineRecords(sceneText(name))), plus);
    std::mt19937 rng(99);
    expectSameBytes(lineRecords(randomScene(rng, 90, 100)), false);
}
