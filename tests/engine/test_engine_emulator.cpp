// Torvex Designer - the engine in the emulated TI-83 against the reference
// model: the preview source (template + data lines + closing lines) is
// assembled with our assembler and run under the write guard; every frame must
// equal the model's bit for bit. Routines the main loop does not call are
// called directly.
#include "engine_harness.h"

#include <gtest/gtest.h>

#include <random>

using namespace torvex::engine;
using namespace torvex::engine::test;
namespace z80 = torvex::z80;

namespace {

// Runs the program with the keys in the emulator and the model; compares
// every frame. Returns the emulator's frames.
std::vector<z80::Frame> expectSameFrames(const z80::Assembly& a, const Scene& scene,
                                         const std::vector<uint8_t>& keys) {
    RunOutcome out = runProgram(a, keys);
    std::vector<Frame> want = run(scene, keys);
    bool quits = false;
    for (uint8_t k : keys)
        quits = quits || k == keys::Mode;
    EXPECT_EQ(out.result.reason, quits ? z80::StopReason::Returned : z80::StopReason::KeysExhausted)
        << out.result.message;
    EXPECT_EQ(out.frames.size(), want.size());
    for (size_t i = 0; i < want.size() && i < out.frames.size(); ++i) {
        std::string d = frameDifference(out.frames[i], want[i]);
        if (!d.empty()) {
            ADD_FAILURE() << "frame " << i << " (after " << i << " keys) differs: " << d;
            break;
        }
    }
    return out.frames;
}

std::vector<z80::Frame> expectSameFrames(const Scene& scene, const std::vector<uint8_t>& keys) {
    return expectSameFrames(assemblePreview(previewSource(lineRecords(scene))), scene, keys);
}

int lit(const Frame& f) {
    int n = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            n += f.pixel(c, r);
    return n;
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
        s.push_back({coordinate(rng, spread), coordinate(rng, spread),
                     static_cast<int8_t>(std::uniform_int_distribution<int>(-15, 15)(rng))});
    return s;
}

std::vector<uint8_t> randomKeys(std::mt19937& rng, int count) {
    // The engine's keys (with forward steps more likely) and some that do nothing.
    static const uint8_t pool[] = {keys::Right, keys::Left, keys::Up,    keys::Down,
                                   keys::Clear, keys::Del,  keys::Del,   keys::Del,
                                   keys::Stat,  keys::Vars, keys::Right, keys::Left,
                                   0x05,        0x22,       0x00,        0xFF};
    std::vector<uint8_t> k;
    for (int i = 0; i < count; ++i)
        k.push_back(pool[std::uniform_int_distribution<int>(0, std::size(pool) - 1)(rng)]);
    return k;
}

// A ring of upright posts around the start, so that every heading sees some.
Scene posts(int radius) {
    Scene s;
    for (int i = 0; i < 12; ++i) {
        const double angle = i * 30 * 3.14159265358979 / 180;
        const int8_t x = static_cast<int8_t>(std::lround(radius * std::sin(angle)));
        const int8_t y = static_cast<int8_t>(std::lround(radius * std::cos(angle)));
        s.push_back({x, y, -6});
        s.push_back({x, y, static_cast<int8_t>(2 + i % 5)});
        s.push_back({x, y, -6});
        s.push_back({static_cast<int8_t>(x / 2), static_cast<int8_t>(y / 2), -6});
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

} // namespace

TEST(EngineEmulator, AHouseSeenWhileWalking) {
    Scene scene = parseLineRecords(sceneText("house.txt"));
    std::vector<Frame> frames = run(scene, {});
    EXPECT_GT(lit(frames[0]), 200) << toText(frames[0]);
    std::vector<uint8_t> k(6, keys::Del);
    k.insert(k.end(), {keys::Right, keys::Right, keys::Clear, keys::Clear, keys::Vars, keys::Stat,
                       keys::Up, keys::Up, keys::Down, keys::Left, keys::Mode});
    expectSameFrames(scene, k);
}

TEST(EngineEmulator, WalkingAroundTheHouse) {
    // Four steps right and a turn left, 36 times: a circle round the house,
    // facing it all the way (the frames torvex-engine-frames draws as PNG).
    Scene scene = parseLineRecords(sceneText("house.txt"));
    std::vector<uint8_t> k;
    for (int i = 0; i < 36; ++i)
        k.insert(k.end(), {keys::Clear, keys::Clear, keys::Clear, keys::Clear, keys::Left});
    expectSameFrames(scene, k);
    for (const Frame& f : run(scene, k))
        EXPECT_GT(lit(f), 150);
}

TEST(EngineEmulator, APowerDownInGetkeyLosesNothing) {
    // Powering down while the engine waits for its third key, the calculator
    // saves the display over the engine's variables; the walk goes on where
    // it was, frame for frame.
    const Scene scene = parseLineRecords(sceneText("house.txt"));
    const std::vector<uint8_t> k = {keys::Del, keys::Del,  keys::Right,
                                    keys::Del, keys::Vars, keys::Up};
    const z80::Assembly a = assemblePreview(previewSource(lineRecords(scene)));
    z80::Ti83 calc;
    load(calc, a);
    calc.start();
    for (size_t i = 0; i < k.size(); ++i) {
        ASSERT_EQ(calc.runUntilKeyWanted().reason, z80::StopReason::KeyWanted);
        if (i == 2)
            calc.powerDown();
        calc.pressKey(k[i]);
    }
    ASSERT_EQ(calc.runUntilKeyWanted().reason, z80::StopReason::KeyWanted);
    const std::vector<Frame> want = run(scene, k);
    ASSERT_EQ(calc.frames().size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(frameDifference(calc.frames()[i], want[i]), "") << "frame " << i;
    // The display did go over saveSScreen, behind the variables.
    EXPECT_EQ(calc.peek(0x8265 + 767), calc.frames()[2].graphBuffer[767]);
    EXPECT_EQ(calc.peek(0x828C + 100), calc.frames()[2].graphBuffer[39 + 100]);
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
            visibleFrames += lit(f) > 0;
    }
    EXPECT_GT(visibleFrames, 350); // the scenes were seen, not only empty frames compared
}

// The TI-83 Plus family's build of a scene (the engine made from the same
// template for its memory map and rst 28h ROM calls) draws exactly the frames
// of the TI-83 build for the same keys, under the family's write guard, a
// power-down inside _GetKey included. Its code is the TI-83's: each frame
// costs the same T-states but for its three ROM calls, an rst 28h taking 6
// fewer than a call.
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
            load(calc, assemblePreview(model == z80::Model::Ti83 ? previewSource(records)
                                                                 : plusPreviewSource(records)));
            calc.start();
            for (size_t i = 0; i < k.size(); ++i) {
                const z80::RunResult r = calc.runUntilKeyWanted();
                ASSERT_EQ(r.reason, z80::StopReason::KeyWanted) << r.message;
                if (i == 5)
                    calc.powerDown();
                calc.pressKey(k[i]);
            }
            frames[model == z80::Model::Ti83Plus] = calc.frames();
        }
        ASSERT_EQ(frames[1].size(), frames[0].size());
        for (size_t i = 0; i < frames[0].size(); ++i) {
            EXPECT_EQ(frames[1][i].graphBuffer, frames[0][i].graphBuffer) << "frame " << i;
            EXPECT_EQ(frames[1][i].tstates + 3 * 6, frames[0][i].tstates) << "frame " << i;
            visibleFrames += std::count(frames[0][i].graphBuffer.begin(),
                                        frames[0][i].graphBuffer.end(), 0) < 768;
        }
    }
    EXPECT_GT(visibleFrames, 200);
}

TEST(EngineEmulator, AllHeadingsTurningRightAndLeftAcrossZero) {
    Scene scene = posts(20);
    std::vector<uint8_t> k(37, keys::Right); // 0 -> 35 -> 0 -> 1
    k.insert(k.end(), 38, keys::Left);       // 1 -> 0 -> 35 -> ... -> 35
    k.push_back(keys::Mode);
    expectSameFrames(scene, k);
    // Every heading shows some of the posts.
    for (const Frame& f : run(scene, k))
        EXPECT_GT(lit(f), 0);
}

TEST(EngineEmulator, WalkingFarEnoughForTheBytesToWrap) {
    // 300 steps along heading 5 carry x and y past 127 to -128; the scene is
    // met again on the way round.
    Scene scene = posts(25);
    std::vector<uint8_t> k(5, keys::Right);
    k.insert(k.end(), 300, keys::Del);
    k.insert(k.end(), {keys::Left, keys::Left});
    k.insert(k.end(), 60, keys::Vars);
    k.insert(k.end(), 40, keys::Stat);
    Camera c;
    bool wrapped = false;
    for (uint8_t key : k) {
        const int8_t before = c.x;
        step(c, key);
        wrapped = wrapped || (before > 100 && c.x < -100);
    }
    EXPECT_TRUE(wrapped);
    expectSameFrames(scene, k);
}

TEST(EngineEmulator, UpAndDownWrapAroundTheByte) {
    Scene scene = posts(15);
    std::vector<uint8_t> k(130, keys::Up);
    k.insert(k.end(), 140, keys::Down);
    expectSameFrames(scene, k);
}

TEST(EngineEmulator, PointsBehindBesideAndBeyondTheDrawDistance) {
    Scene scene;
    // In front, behind, far to the side, beyond 40 along x or y, just within.
    for (int x : {-50, -41, -40, -20, -1, 0, 1, 20, 40, 41, 50})
        for (int y : {-45, -40, -10, 0, 1, 5, 20, 39, 40, 41}) {
            scene.push_back({static_cast<int8_t>(x), static_cast<int8_t>(y), -3});
            scene.push_back({static_cast<int8_t>(x / 2), static_cast<int8_t>(y), 4});
        }
    scene.resize(142);
    std::vector<uint8_t> k;
    for (int h = 0; h < 36; ++h) {
        k.push_back(keys::Right);
        if (h % 6 == 0)
            k.push_back(keys::Up);
    }
    expectSameFrames(scene, k);
}

TEST(EngineEmulator, EveryDistanceInOneFrame) {
    // A segment at every distance ahead from 1 to 40, turned and walked: more
    // distances in a frame than the graph buffer holds tables of offsets for,
    // so the engine also adds up increments one by one; the frames still match.
    Scene scene;
    for (int d = 1; d <= 40; ++d) {
        scene.push_back(
            {static_cast<int8_t>(-d / 2), static_cast<int8_t>(d), static_cast<int8_t>(-d / 3)});
        scene.push_back(
            {static_cast<int8_t>(d / 2), static_cast<int8_t>(d), static_cast<int8_t>(d / 3)});
    }
    const std::vector<uint8_t> k = {keys::Right, keys::Right, keys::Del,  keys::Del,
                                    keys::Left,  keys::Left,  keys::Left, keys::Stat,
                                    keys::Up,    keys::Clear, keys::Down};
    expectSameFrames(scene, k);
    const std::vector<uint8_t> first = drawpoints(scene, Camera{});
    for (size_t i = 0; i + 1 < first.size(); ++i)
        EXPECT_NE(first[i], 0) << "every point is on the display at heading 0";
    EXPECT_GT(lit(run(scene, {})[0]), 200);
}

TEST(EngineEmulator, PixelsOffTheDisplayAreNotDrawn) {
    // Tall posts close by: their tops lie above the top of the display, their
    // feet below it. Only the pixels on the
    // display are drawn, and nothing is written outside the graph buffer
    // (the write guard is on).
    Scene scene;
    for (int x = -12; x <= 12; x += 4) {
        scene.push_back({static_cast<int8_t>(x), 14, -12});
        scene.push_back({static_cast<int8_t>(x), 14, 12});
        scene.push_back({static_cast<int8_t>(x), 14, 12});
        scene.push_back({static_cast<int8_t>(x + 4), 15, 13});
    }
    scene.push_back({-13, 14, 0});
    scene.push_back({13, 14, 0});
    std::vector<uint8_t> dp = drawpoints(scene, Camera{});
    int above = 0, below = 0;
    for (size_t i = 0; dp[i] != kEndMarker; i += 2) {
        const int row = static_cast<int8_t>(dp[i + 1]);
        above += row < 0;
        below += row >= kRows;
    }
    EXPECT_GT(above, 3);
    EXPECT_GT(below, 3);
    std::vector<uint8_t> k{keys::Del,  keys::Del,   keys::Up,   keys::Up,   keys::Up,
                           keys::Down, keys::Right, keys::Left, keys::Left, keys::Clear};
    expectSameFrames(scene, k);
}

TEST(EngineEmulator, ZeroBytesLeaveTheSegmentOut) {
    // Segments whose pixels lie in column 0 or row 0 of the display are left
    // out (the 0 byte means "not on the display"), as are those with an end
    // off the display; the model counts how often that happened here.
    Scene scene;
    int zeroColumnOrRow = 0, offDisplay = 0;
    std::mt19937 rng(7);
    while (scene.size() < 142) {
        Point p{coordinate(rng, 50), coordinate(rng, 50),
                static_cast<int8_t>(std::uniform_int_distribution<int>(-40, 40)(rng))};
        std::optional<Pixel> px = project(p, viewRay(0));
        bool zero =
            px && (static_cast<uint8_t>(px->column) == 0 || static_cast<uint8_t>(px->row) == 0);
        if (zero || scene.size() % 7 == 0) {
            scene.push_back(p);
            scene.push_back({0, 20, 0});
            zeroColumnOrRow += zero;
            offDisplay += !px;
        }
    }
    EXPECT_GT(zeroColumnOrRow, 3);
    EXPECT_GT(offDisplay, 3);
    expectSameFrames(scene, {keys::Up, keys::Down, keys::Down});
}

TEST(EngineEmulator, AnXOfMinus128EndsTheScene) {
    Scene scene = posts(12);
    std::vector<std::string> records = lineRecords(scene);
    // The first point of the third segment has x = -128: the engine stops there.
    records.insert(records.begin() + 2, "-128,   5,   0,  10,  10,  10");
    z80::Assembly a = assemblePreview(previewSource(records));
    Scene read =
        readScene(std::vector<uint8_t>(a.bytes.end() - (records.size() * 6 + 1), a.bytes.end()));
    ASSERT_EQ(read.size(), 4u);
    std::string text;
    for (const std::string& r : records)
        text += r + "\n";
    Scene full = parseLineRecords(text);
    std::vector<uint8_t> k{keys::Del, keys::Right};
    expectSameFrames(a, full, k);
    EXPECT_EQ(run(full, k), run(read, k));
    EXPECT_NE(run(full, k), run(scene, k)); // the rest of the scene would have shown
}

TEST(EngineEmulator, MoreThan71SegmentsDrawsTheFirst71) {
    std::mt19937 rng(71);
    Scene scene = randomScene(rng, 120, 25);
    // All segments visible from the start: ahead of the camera, near.
    for (Point& p : scene) {
        p.y = static_cast<int8_t>(15 + std::abs(p.y) % 20);
        p.x = static_cast<int8_t>(p.x % 12);
        p.z = static_cast<int8_t>(p.z % 10);
    }
    Scene first71(scene.begin(), scene.begin() + 142);
    std::vector<uint8_t> k{keys::Left, keys::Right, keys::Right, keys::Del};
    expectSameFrames(scene, k);
    EXPECT_EQ(run(scene, k), run(first71, k));
    // The segments after the 71st would have shown.
    EXPECT_NE(render(Scene(scene.begin() + 142, scene.end()), Camera{}), Frame{});
}

TEST(EngineEmulator, ALonePointAtTheEndIsNotDrawn) {
    Scene scene = posts(10);
    std::string source = previewSource(lineRecords(scene));
    // Replace the end marker line by a lone point and the marker.
    const std::string marker = "        .db 128\r\n";
    source.replace(source.find(marker), marker.size(), "        .db 3,20,5\r\n" + marker);
    Scene withLone = scene;
    withLone.push_back({3, 20, 5});
    expectSameFrames(assemblePreview(source), withLone, {keys::Right});
}

TEST(EngineEmulator, ModeReturnsToTheCalculator) {
    Scene scene = posts(10);
    RunOutcome out = runProgram(assemblePreview(previewSource(lineRecords(scene))),
                                {keys::Del, keys::Mode, keys::Del});
    EXPECT_EQ(out.result.reason, z80::StopReason::Returned) << out.result.message;
    EXPECT_EQ(out.frames.size(), 2u);
}

TEST(EngineEmulator, EmptyScene) {
    expectSameFrames(Scene{}, {keys::Del, keys::Right});
}

// ---- routines called directly ----

TEST(EngineRoutines, TorvexAndTorvex2MatchTheModel) {
    std::mt19937 rng(2);
    for (int heading = 0; heading < kHeadings; ++heading) {
        Direct d(heading);
        const ViewRay ray = viewRay(heading);
        for (int i = 0; i < 120; ++i) {
            Point p{coordinate(rng, 45), coordinate(rng, 45), coordinate(rng, 30)};
            std::optional<Pixel> want = project(p, ray);
            for (const char* routine : {"torvex", "torvex2"}) {
                z80::Registers in, out;
                in.de = pair(p.x, p.y);
                in.bc = static_cast<uint8_t>(p.z);
                d.call(routine, in, &out);
                SCOPED_TRACE(std::string(routine) + " heading " + std::to_string(heading) +
                             " point " + std::to_string(p.x) + "," + std::to_string(p.y) + "," +
                             std::to_string(p.z));
                if (!want) {
                    EXPECT_EQ(out.a(), 128);
                } else {
                    ASSERT_EQ(out.a(), 0);
                    EXPECT_EQ(out.b(), static_cast<uint8_t>(want->column));
                    EXPECT_EQ(out.c(), static_cast<uint8_t>(want->row));
                }
            }
        }
    }
}

TEST(EngineRoutines, FindxyMatchesTheModel) {
    std::mt19937 rng(3);
    for (int heading : {0, 1, 4, 9, 13, 18, 22, 27, 31, 35}) {
        Direct d(heading);
        const ViewRay ray = viewRay(heading);
        for (int i = 0; i < 200; ++i) {
            int8_t x = coordinate(rng, 45), y = coordinate(rng, 45);
            z80::Registers in, out;
            in.de = pair(x, y);
            d.call("findxy", in, &out);
            std::optional<HeadingPoint> want = findxy(x, y, ray);
            if (!want) {
                EXPECT_EQ(out.a(), 128);
                EXPECT_EQ(out.de, pair(x, y));
            } else {
                ASSERT_EQ(out.a(), 0);
                EXPECT_EQ(static_cast<int8_t>(out.d()), want->side) << x << "," << y;
                EXPECT_EQ(static_cast<int8_t>(out.e()), want->ahead) << x << "," << y;
                EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x826C)), want->side);  // returnx
                EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x826D)), want->ahead); // returny
            }
        }
    }
}

TEST(EngineRoutines, Torvex2aMatchesThePerspectiveForEveryDepth) {
    Direct d(0);
    std::mt19937 rng(4);
    for (int ahead = -3; ahead <= 75; ++ahead)
        for (int i = 0; i < 25; ++i) {
            const int reach = std::abs(ahead) + 2;
            int side = std::uniform_int_distribution<int>(-reach, reach)(rng);
            int height = std::uniform_int_distribution<int>(-reach, reach)(rng);
            if (i == 0)
                side = -128, height = 0;
            z80::Registers in, out;
            in.de = pair(side, ahead);
            in.bc = static_cast<uint8_t>(height);
            d.call("torvex2a", in, &out);
            std::optional<Pixel> want = perspective(
                static_cast<int8_t>(side), static_cast<int8_t>(ahead), static_cast<int8_t>(height));
            SCOPED_TRACE(std::to_string(side) + "," + std::to_string(ahead) + "," +
                         std::to_string(height));
            if (!want) {
                EXPECT_EQ(out.a(), 128);
            } else {
                ASSERT_EQ(out.a(), 0);
                EXPECT_EQ(out.b(), static_cast<uint8_t>(want->column));
                EXPECT_EQ(out.c(), static_cast<uint8_t>(want->row));
            }
        }
}

TEST(EngineRoutines, MakedataBuildsTheViewRay) {
    for (int heading = 0; heading < kHeadings; ++heading) {
        Direct d(heading);
        const ViewRay ray = viewRay(heading);
        const uint16_t compare = label(d.a, "compare");
        for (int k = 0; k <= kDrawDistance; ++k) {
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(compare + 2 * k)), ray.x[k]);
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(compare + 2 * k + 1)), ray.y[k]);
        }
        EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x8268)), ray.x[kDrawDistance]); // xend
        EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x8267)), ray.y[kDrawDistance]); // yend
    }
}

TEST(EngineRoutines, RadianMovesAlongAHeadingsPattern) {
    Direct d(0);
    std::mt19937 rng(5);
    for (int i = 0; i < 300; ++i) {
        int heading = std::uniform_int_distribution<int>(0, 35)(rng);
        int steps = std::uniform_int_distribution<int>(0, 255)(rng);
        int8_t x = static_cast<int8_t>(std::uniform_int_distribution<int>(-128, 127)(rng));
        int8_t y = static_cast<int8_t>(std::uniform_int_distribution<int>(-128, 127)(rng));
        z80::Registers in, out;
        in.bc = pair(heading, steps);
        in.de = pair(x, y);
        d.call("radian", in, &out);
        std::array<int8_t, 2> want = radian(x, y, heading, steps);
        EXPECT_EQ(static_cast<int8_t>(out.d()), want[0]) << heading << " " << steps;
        EXPECT_EQ(static_cast<int8_t>(out.e()), want[1]) << heading << " " << steps;
    }
}

TEST(EngineRoutines, FindhlAndSetheadingFindTheRows) {
    Direct d(0);
    const uint16_t headingdata = label(d.a, "headingdata");
    const uint16_t equates = label(d.a, "equates");
    uint16_t expected = headingdata;
    for (int h = 0; h < kHeadings; ++h) {
        expected += 2;
        z80::Registers in, out;
        in.bc = static_cast<uint16_t>(h);
        d.call("setheading", in, &out);
        EXPECT_EQ(out.hl, expected) << "heading " << h;
        for (size_t i = 0; i < headingPattern(h).size(); ++i) {
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(expected + 2 * i)), headingPattern(h)[i].x);
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(expected + 2 * i + 1)),
                      headingPattern(h)[i].y);
        }
        expected += static_cast<uint16_t>(2 * headingPattern(h).size());
    }
    expected = equates;
    for (int n = 1; n <= kEquatesRows; ++n) {
        expected += 2;
        z80::Registers in, out;
        in.hl = equates;
        in.bc = pair(n, 0);
        d.call("findhl", in, &out);
        EXPECT_EQ(out.hl, expected) << "depth " << n;
        expected += static_cast<uint16_t>(equatesPattern(n).size());
    }
}

TEST(EngineRoutines, MorerowsListsTheRowsOfEquates) {
    Direct d(0);
    const uint16_t equates = label(d.a, "equates");
    z80::Registers in, out;
    in.de = 70;
    in.bc = 0x1234;
    in.hl = 0x5678;
    d.call("morerows", in, &out);
    EXPECT_EQ(out.bc, 0x1234);
    EXPECT_EQ(out.de, 70);
    EXPECT_EQ(out.hl, 0x5678);
    EXPECT_EQ(d.calc.peek(0x8E29), 70);
    uint16_t row = equates;
    for (int n = 1; n <= kEquatesRows; ++n) {
        EXPECT_EQ(d.calc.peekWord(0x8E29 + 2 * n), row + 2) << n;
        row += static_cast<uint16_t>(2 + equatesPattern(n).size());
    }
}

TEST(EngineRoutines, MovingTheCar) {
    std::mt19937 rng(6);
    for (int round = 0; round < 60; ++round) {
        const int heading = std::uniform_int_distribution<int>(0, 35)(rng);
        Direct d(heading);
        Camera model;
        model.heading = static_cast<uint8_t>(heading);
        const uint16_t looking = d.calc.peekWord(0x8276);
        d.calc.poke(0x8278, looking & 0xFF); // p1: the pattern's start
        d.calc.poke(0x8279, looking >> 8);
        for (int i = 0; i < 6; ++i) {
            const int kind = std::uniform_int_distribution<int>(0, 2)(rng);
            int steps = std::uniform_int_distribution<int>(-6, 6)(rng);
            z80::Registers in;
            in.bc = static_cast<uint8_t>(steps);
            const char* routine = kind == 0   ? "movecarforward"
                                  : kind == 1 ? "sidlecarright"
                                              : "movecarup";
            d.call(routine, in, nullptr);
            for (int s = 0; s < std::abs(steps); ++s) {
                uint8_t key = kind == 0   ? (steps > 0 ? keys::Del : keys::Stat)
                              : kind == 1 ? (steps > 0 ? keys::Clear : keys::Vars)
                                          : 0;
                if (kind == 2) {
                    model.z = static_cast<int8_t>(model.z + steps);
                    break;
                }
                step(model, key);
            }
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x8273)), model.x) << routine;
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x8274)), model.y) << routine;
            EXPECT_EQ(static_cast<int8_t>(d.calc.peek(0x8275)), model.z) << routine;
        }
    }
}

TEST(EngineRoutines, LineOnMatchesTheModelAndStaysInTheGraphBuffer) {
    Direct d(0);
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> near(-20, 100);
    for (int i = 0; i < 1500; ++i) {
        int x1 = near(rng), y1 = near(rng) * 2 / 3, x2 = near(rng), y2 = near(rng) * 2 / 3;
        if (i % 3 == 0) { // both ends on the display: the fast way
            x1 = x1 % 96 < 0 ? -x1 % 96 : x1 % 96;
            x2 = x2 % 96 < 0 ? -x2 % 96 : x2 % 96;
            y1 = y1 % 64 < 0 ? -y1 % 64 : y1 % 64;
            y2 = y2 % 64 < 0 ? -y2 % 64 : y2 % 64;
        }
        if (i % 50 == 0)
            x2 = x1, y2 = y1;
        for (int b = 0; b < 768; ++b)
            d.calc.poke(z80::kGraphBuffer + b, 0);
        z80::Registers in;
        in.bc = pair(x1, y1);
        in.de = pair(x2, y2);
        d.call("line_on", in, nullptr);
        Frame want;
        drawLine(want, x1, y1, x2, y2);
        z80::Frame got;
        for (int b = 0; b < 768; ++b)
            got.graphBuffer[b] = d.calc.peek(z80::kGraphBuffer + b);
        ASSERT_EQ(frameDifference(got, want), "") << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
}

TEST(EngineRoutines, BitOnDrawsOnlyOnTheDisplay) {
    Direct d(0);
    for (int b = 0; b < 768; ++b)
        d.calc.poke(z80::kGraphBuffer + b, 0);
    Frame want;
    for (int column = 0; column < 256; column += 3)
        for (int row = 0; row < 256; row += 5) {
            z80::Registers in, out;
            in.bc = pair(column, row);
            in.de = 0x1357;
            in.hl = 0x2468;
            d.call("bit_on", in, &out);
            EXPECT_EQ(out.bc, in.bc);
            EXPECT_EQ(out.de, in.de);
            EXPECT_EQ(out.hl, in.hl);
            want.plot(column, row);
        }
    z80::Frame got;
    for (int b = 0; b < 768; ++b)
        got.graphBuffer[b] = d.calc.peek(z80::kGraphBuffer + b);
    EXPECT_EQ(frameDifference(got, want), "");
}
