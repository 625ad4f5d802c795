// Each rule of the asset checker against a fixture that suits the module's
// components (no findings) and one broken thing per case that the rule must
// name: the group, the component and the distance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <tuple>

#include "asset_fixture.h"
#include "check/asset_check.h"
#include "vantorel/vessel_layout.h"
#include "mesh/mesh_pose.h"

namespace {

namespace check = vantorel_sim::check;
using fixture::Assets;
using fixture::Vec3;

std::vector<check::Finding> CheckDir(const std::string& dir) {
    vantorel_sim::SceneOptions options;
    options.asset_dir = dir;
    vantorel_sim::VesselScene scene(options);
    check::CheckContext context(scene);
    return check::CheckAll(context);
}

std::vector<check::Finding> RunChecks(const Assets& a, const std::string& name) {
    const std::string dir = fixture::NewAssetFolder(name);
    fixture::Write(a, dir);
    return CheckDir(dir);
}

// A copy of the asset folder with every triangle split `times` times at its
// edge midpoints: the same surfaces, cut finer.
std::string CutFiner(const std::string& from, const std::string& name, int times) {
    const std::string to = fixture::NewAssetFolder(name);
    const std::string command = std::string(VANTOREL_PYTHON) + " " VANTOREL_SOURCE_DIR "/scripts/subdivide-mesh.py --times " +
                                std::to_string(times) + " '" + from + "' '" + to + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error(command + ": failed");
    return to;
}

std::string Lines(const std::vector<check::Finding>& f) {
    std::string s;
    for (const auto& x : f) s += "rule " + std::to_string(x.rule) + ": " + x.text + "\n";
    return s;
}

TEST(CheckRules, FixtureThatSuitsTheComponentsPassesEveryRule) {
    const auto found = RunChecks(fixture::GoodAssets(), "good");
    EXPECT_TRUE(found.empty()) << Lines(found);
}

// The verdict is the surfaces', not the triangulation's: the shipped assets
// and the fixture give the same report cut once and twice finer.
TEST(CheckRules, SameFindingsWithEveryTriangleSplitInFour) {
    const std::string good = fixture::NewAssetFolder("good-whole");
    fixture::Write(fixture::GoodAssets(), good);
    for (const std::string& dir : {std::string(VANTOREL_SOURCE_DIR "/assets"), good}) {
        const std::string expected = Lines(CheckDir(dir));
        for (int times : {1, 2})
            EXPECT_EQ(Lines(CheckDir(CutFiner(dir, "cut" + std::to_string(times), times))), expected)
                << dir << " split " << times << " times";
    }
}

// A static face buried inside the structure, just above a closed door, is not
// skin: the door under it is no more out of the skin than the cover below.
TEST(CheckRules, BuriedStaticFaceAboveAClosedDoorIsNotSkin) {
    Assets a = fixture::GoodAssets();
    const check::Part* p = fixture::PartNaming(0, 14);
    ASSERT_NE(p, nullptr);
    const auto close = host::mesh::RotationAbout(p->ref, p->axis, p->angle_rad);
    Vec3 tip = close.Apply(a.exterior.groups[14].vertices.front().pos_m);
    for (const auto& v : a.exterior.groups[14].vertices)
        if (const Vec3 q = close.Apply(v.pos_m); q.y < tip.y) tip = q;
    auto& spare = a.exterior.groups[a.spare_group];
    spare = {};
    const Vec3 buried = tip + Vec3{0, 0.05, 0};
    fixture::AddTriangle(spare, buried, buried + Vec3{0.01, 0, 0}, buried + Vec3{0, 0, 0.01}, {0, -1, 0});
    fixture::AddSquare(spare, tip + Vec3{0, -0.01, 0}, {0, -1, 0}, 0.5);
    for (const auto& f : RunChecks(a, "buried_face_above_a_door"))
        EXPECT_NE(f.rule, 4) << f.text;
}

// Moves every vertex of a group.
void Shift(host::mesh::Group& g, Vec3 by) {
    for (auto& v : g.vertices) v.pos_m = v.pos_m + by;
}

struct BrokenCase {
    const char* name;
    std::function<void(Assets&)> breaks;
    int rule;
    std::vector<const char*> says;  // all in one finding of that rule
};

const std::vector<BrokenCase>& Cases() {
    static const std::vector<BrokenCase> cases = {
        {"empty_flap", [](Assets& a) { a.exterior.groups[3] = {}; }, 1, {"group 3 (component", "empty"}},
        {"missing_groups", [](Assets& a) { a.exterior.groups.resize(400); }, 1, {"group 415", "missing"}},
        {"lit_cockpit_needle_moved",
         [](Assets& a) { Shift(a.cockpit_lit.groups[10], {0.01, 0, 0}); }, 1,
         {"lit cockpit group 10 (component", "0.010 m"}},
        {"display_facing_away",
         [](Assets& a) {
             a.cockpit.groups[329] = {};
             fixture::AddSquare(a.cockpit.groups[329], {0, 0.6, 0.05}, {0, 0, 1}, 0.05);
             a.cockpit_lit.groups[329] = a.cockpit.groups[329];
         },
         1, {"display group 329", "faces away"}},
        {"display_not_flat", [](Assets& a) { a.cockpit.groups[330].vertices[0].pos_m.z += 0.01; }, 1,
         {"display group 330", "not a flat surface", "0.0"}},
        {"aileron_off_its_hinge", [](Assets& a) { Shift(a.exterior.groups[1], {0, 0.2, 0}); }, 2,
         {"group 1 (component", "aileron_left", "axis passes 0.2"}},
        {"wheel_off_its_axle", [](Assets& a) { Shift(a.exterior.groups[329], {0, 0, 0.03}); }, 2,
         {"group 329 (component", "misses the wheel's centre by 0.030 m"}},
        {"nose_wheel_too_small",
         [](Assets& a) {
             auto& g = a.exterior.groups[46];
             const Vec3 centre = g.vertices[0].pos_m;
             for (auto& v : g.vertices) v.pos_m = centre + (v.pos_m - centre) * 0.8;
         },
         3, {"group 46 (component", "in height"}},
        {"belly_only_under_the_nose",
         [](Assets& a) {
             a.exterior.groups[a.belly_group] = {};
             fixture::AddSquare(a.exterior.groups[a.belly_group], {0, -1.7, 5}, {0, -1, 0}, 1.5);
         },
         4, {"(component 6, gear)", "can be seen from below"}},
        {"door_out_of_the_skin",
         [](Assets& a) {
             // A face of the left main door that, closed, hangs 10 cm under the belly.
             const check::Part* p = fixture::PartNaming(0, 14);
             const auto undo = host::mesh::RotationAbout(p->ref, p->axis, -p->angle_rad);
             const Vec3 at = undo.Apply({-1.5, -1.8, 1.0});
             fixture::AddTriangle(a.exterior.groups[14], at, at + Vec3{0.01, 0, 0}, at + Vec3{0, 0, 0.01}, {0, -1, 0});
         },
         4, {"group 14 (component", "stands 0.1", "out of the skin"}},
        {"wall_in_the_aileron_path",
         [](Assets& a) {
             const check::Part* p = fixture::PartNaming(0, 1);
             const Vec3 out = host::mesh::Normalised(host::mesh::Cross(p->axis, {0, 1, 0}));
             fixture::AddSquare(a.exterior.groups[a.spare_group], p->ref + out * 0.2, out, 0.1);
         },
         5, {"group 1 (component", "through static group"}},
        {"drum_digits_swapped",
         [](Assets& a) {
             const auto& drum = fixture::PartOf("alt_tens_drum");
             std::swap(a.cockpit.groups[drum.groups[2]], a.cockpit.groups[drum.groups[3]]);
             std::swap(a.cockpit_lit.groups[drum.groups[2]], a.cockpit_lit.groups[drum.groups[3]]);
         },
         6, {"at state 0.2 the eye sees digit 3"}},
        {"fuel_needle_off_its_dial",
         [](Assets& a) {
             const auto& needle = fixture::PartOf("fuel_needle");
             auto& dial = a.cockpit.groups[a.dial_group];
             for (auto& v : dial.vertices)
                 if (host::mesh::Length(v.pos_m - needle.ref) < 0.05) v.pos_m = v.pos_m + Vec3{0, 0, 0.05};
         },
         6, {"(component 44, fuel_needle)", "pivot lies 0.0"}},
        {"engine_at_11025_hz", [](Assets& a) { a.engine_rate_hz = 11025; }, 7, {"Vantorel-Eng.wav", "11025 Hz; expected"}},
        {"gear_8_bit", [](Assets& a) { a.gear_bits = 8; }, 7, {"Vantorel-Gear.wav", "8-bit"}},
        {"flaps_stereo", [](Assets& a) { a.flaps_channels = 2; }, 7, {"Vantorel-Flaps.wav", "2 channel(s)"}},
        {"flaps_silent", [](Assets& a) { for (auto& s : a.flaps) s = static_cast<std::int16_t>(s / 100); }, 7,
         {"Vantorel-Flaps.wav: silent"}},
        {"gear_clipping", [](Assets& a) { a.gear[100] = 32767; }, 7, {"Vantorel-Gear.wav: clips, 1 samples"}},
        {"engine_jumps_at_the_loop", [](Assets& a) { a.engine.resize(a.engine.size() - 50); }, 7,
         {"Vantorel-Eng.wav: clicks at its loop point: last to first sample jumps"}},
        {"engine_slope_breaks_at_the_loop",
         [](Assets& a) {
             // 100.5 cycles of 105 Hz: ends one step above where it starts, heading down.
             a.engine.resize(210 * 100 + 105);
             for (std::size_t i = 0; i < a.engine.size(); ++i)
                 a.engine[i] = static_cast<std::int16_t>(std::lround(12000 * std::sin(2 * M_PI * i / 210.0)));
         },
         7, {"Vantorel-Eng.wav: clicks at its loop point: the slope breaks by"}},
    };
    return cases;
}

class BrokenFixture : public testing::TestWithParam<std::size_t> {};

TEST_P(BrokenFixture, RuleNamesWhatIsWrong) {
    const BrokenCase& c = Cases()[GetParam()];
    Assets a = fixture::GoodAssets();
    c.breaks(a);
    const auto found = RunChecks(a, c.name);
    bool caught = false;
    for (const auto& f : found) {
        if (f.rule != c.rule) continue;
        bool all = true;
        for (const char* piece : c.says) all = all && f.text.find(piece) != std::string::npos;
        caught = caught || all;
    }
    EXPECT_TRUE(caught) << c.name << ": rule " << c.rule << " should say all of its pieces; found:\n" << Lines(found);
}

// Each broken fixture, cut finer, gives its rule's findings as before.
class BrokenFixtureCutFiner : public testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(BrokenFixtureCutFiner, SameFindings) {
    const auto [index, times] = GetParam();
    const BrokenCase& c = Cases()[index];
    Assets a = fixture::GoodAssets();
    c.breaks(a);
    // Folders named for the case and the cut, so none is reused within a process.
    const std::string name = std::string(c.name) + "-split" + std::to_string(times);
    const std::string whole = fixture::NewAssetFolder(name + "-whole");
    fixture::Write(a, whole);
    std::string expected, found;
    for (const auto& f : CheckDir(whole)) expected += f.rule == c.rule ? "rule " + f.text + "\n" : "";
    for (const auto& f : CheckDir(CutFiner(whole, name + "-cut", times)))
        found += f.rule == c.rule ? "rule " + f.text + "\n" : "";
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(found, expected) << c.name << " split " << times << " times";
}

INSTANTIATE_TEST_SUITE_P(EachRule, BrokenFixtureCutFiner,
                         testing::Combine(testing::Range<std::size_t>(0, Cases().size()), testing::Values(1, 2)),
                         [](const testing::TestParamInfo<std::tuple<std::size_t, int>>& i) {
                             return std::string(Cases()[std::get<0>(i.param)].name) + "_split_" +
                                    std::to_string(std::get<1>(i.param));
                         });

INSTANTIATE_TEST_SUITE_P(EachRule, BrokenFixture, testing::Range<std::size_t>(0, Cases().size()),
                         [](const testing::TestParamInfo<std::size_t>& i) { return std::string(Cases()[i.param].name); });

}  // namespace
