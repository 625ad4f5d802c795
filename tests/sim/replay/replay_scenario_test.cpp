// End-to-end scenarios: each tests/sim/scenarios/NAME.jsonl is replayed and
// its trace must contain NAME.expect.jsonl as an ordered excerpt. The laws
// behind some scenarios are checked over the whole trace as well.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string_view>

#include "vantorel/vessel_layout.h"
#include "replay_test_support.h"

namespace {

namespace fs = std::filesystem;
using replay_test::Calls;
using replay_test::json;
using replay_test::States;
using replay_test::Traced;
namespace layout = vantorel::layout;

const fs::path kScenarios = fs::path(VANTOREL_SOURCE_DIR) / "tests" / "sim" / "scenarios";

// "# options: --vessels N --no-sound" in a scenario's comments.
vantorel_sim::replay::ReplayOptions ScenarioOptions(const std::string& script) {
    auto o = replay_test::BuildOptions();
    std::istringstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# options:", 0) != 0) continue;
        std::istringstream words(line.substr(10));
        std::string w;
        while (words >> w) {
            if (w == "--no-sound") {
                o.sound = false;
            } else if (w == "--vessels") {
                words >> o.vessels;
            } else if (w == "--flight-model") {
                words >> o.flight_model;
            } else {
                throw std::runtime_error("scenario option not understood: " + w);
            }
        }
    }
    return o;
}

Traced RunScenario(const std::string& name) {
    const std::string script = replay_test::ReadFile((kScenarios / (name + ".jsonl")).string());
    return replay_test::RunTraced(script, ScenarioOptions(script));
}

std::vector<std::string> ScenarioNames() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kScenarios)) {
        const std::string file = e.path().filename().string();
        const std::string suffix = ".expect.jsonl";
        if (file.size() > suffix.size() && file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0) {
            names.push_back(file.substr(0, file.size() - suffix.size()));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, TraceContainsTheExpectedExcerpt) {
    const Traced t = RunScenario(GetParam());
    const std::string excerpt = replay_test::ReadFile((kScenarios / (GetParam() + ".expect.jsonl")).string());
    EXPECT_EQ(replay_test::FindExcerpt(t.events, excerpt), "");
}

INSTANTIATE_TEST_SUITE_P(Files, Scenario, ::testing::ValuesIn(ScenarioNames()),
                         [](const auto& info) { return info.param; });

TEST(ScenarioFiles, EveryScriptHasAnExcerptAndEveryExcerptAScript) {
    const auto names = ScenarioNames();
    EXPECT_GE(names.size(), 6u);
    for (const auto& e : fs::directory_iterator(kScenarios)) {
        const std::string file = e.path().filename().string();
        if (file.find(".expect.") != std::string::npos) {
            const std::string name = file.substr(0, file.find(".expect."));
            EXPECT_TRUE(fs::exists(kScenarios / (name + ".jsonl"))) << file;
        } else {
            const std::string name = e.path().stem().string();
            EXPECT_TRUE(std::find(names.begin(), names.end(), name) != names.end()) << file << " has no excerpt";
        }
    }
}

// The matcher itself must reject what differs, or every excerpt would pass.
TEST(ScenarioFiles, ExcerptMatchingRejectsWhatDiffers) {
    const std::vector<json> events = {json::parse(R"({"frame": 1, "call": "A", "args": [1.0, "x"]})"),
                                      json::parse(R"({"frame": 1, "vessel": 0, "state": {"anim": [0.5, 0.25]}})"),
                                      json::parse(R"({"frame": 2, "call": "B", "args": []})")};
    EXPECT_EQ(replay_test::FindExcerpt(events, "{\"call\": \"A\"}\n{\"call\": \"B\"}\n"), "");
    EXPECT_EQ(replay_test::FindExcerpt(events, "# comment\n{\"state\": {\"anim\": {\"1\": 0.25}}}\n"), "");
    EXPECT_EQ(replay_test::FindExcerpt(events, "{\"args\": [1, \"*\"]}\n"), "");
    EXPECT_NE(replay_test::FindExcerpt(events, "{\"call\": \"B\"}\n{\"call\": \"A\"}\n"), "") << "order matters";
    EXPECT_NE(replay_test::FindExcerpt(events, "{\"args\": [1.0]}\n"), "") << "arrays match whole";
    EXPECT_NE(replay_test::FindExcerpt(events, "{\"state\": {\"anim\": {\"2\": 0.5}}}\n"), "");
    EXPECT_NE(replay_test::FindExcerpt(events, "{\"call\": \"A\", \"result\": null}\n"), "") << "missing key";
    EXPECT_NE(replay_test::FindExcerpt(events, "{\"frame\": 2, \"call\": \"A\"}\n"), "");
}

// --- Laws behind the scenarios ------------------------------------------------

double Gear(const json& state) { return state["state"]["anim"][layout::Index(layout::Animation::gear)].get<double>(); }

// A touchdown set as the state event writes it.
json Points(const layout::TouchdownSet& set) {
    json points = json::array();
    for (const auto& p : set) points.push_back({p[0], p[1], p[2]});
    return points;
}

// A mesh handle as the trace writes it.
std::string MeshName(std::string_view name) { return "mesh:" + std::string(name); }

TEST(ScenarioLaws, DefinitionHas25AnimationsAnd44ComponentsAtFrameZero) {
    const Traced t = RunScenario("definition");
    const auto anims = Calls(t.events, "CreateAnimation");
    const auto comps = Calls(t.events, "AddAnimationComponent");
    ASSERT_EQ(anims.size(), static_cast<std::size_t>(layout::kAnimationCount));
    ASSERT_EQ(comps.size(), 44u);
    for (std::size_t i = 0; i < anims.size(); ++i) {
        EXPECT_EQ(anims[i]["frame"], 0);
        EXPECT_EQ(anims[i]["result"], i);
    }
    for (std::size_t i = 0; i < comps.size(); ++i) {
        EXPECT_EQ(comps[i]["frame"], 0);
        EXPECT_EQ(comps[i]["result"], "component:0:" + std::to_string(i));
    }
    EXPECT_EQ(States(t.events, 0).front()["state"]["anim"].size(), static_cast<std::size_t>(layout::kAnimationCount));
}

TEST(ScenarioLaws, GearRetractsMonotonicallyAndTouchdownFollowsOneStepLate) {
    const Traced t = RunScenario("gear_retraction");
    const auto states = States(t.events, 0);
    ASSERT_EQ(states.size(), 420u);
    const json up = Points(layout::kTouchdownGearUp);
    const json down = Points(layout::kTouchdownGearDown);
    std::size_t first_past = 0, first_up = 0, first_one = 0;
    for (std::size_t i = 0; i < states.size(); ++i) {
        const double g = Gear(states[i]);
        if (i > 0) {
            if (g < 1.0) {
                EXPECT_GT(g, Gear(states[i - 1])) << "frame " << i + 1;
            } else {
                EXPECT_EQ(g, 1.0);
            }
        }
        if (first_past == 0 && g > 0.95) first_past = i + 1;
        if (first_one == 0 && g == 1.0) first_one = i + 1;
        const json& td = states[i]["state"]["touchdown"];
        if (first_up == 0 && td == up) first_up = i + 1;
        EXPECT_TRUE(td == (first_up ? up : down)) << "frame " << i + 1;
    }
    EXPECT_EQ(first_one, 414u) << "the gear reaches 1 in the 414th step";
    ASSERT_GT(first_past, 0u);
    EXPECT_EQ(first_up, first_past + 1) << "the points change one step after 0.95 is passed";
    EXPECT_EQ(States(t.events, 0).back()["state"]["drag"][1], 0.0) << "gear drag follows 1 - gear";
    EXPECT_EQ(t.summary.vessels.at(0).touchdown_set, vantorel_sim::replay::TouchdownSet::gear_up);
}

TEST(ScenarioLaws, LightSwitchTogglesBeaconsAndCockpitMeshTogether) {
    const Traced t = RunScenario("light_switch");
    const auto states = States(t.events, 0);
    ASSERT_EQ(states.size(), 4u);
    for (std::size_t i = 0; i < states.size(); ++i) {
        const bool on = i < 3;
        const json& s = states[i]["state"];
        EXPECT_EQ(s["beacons"], json::array({on, on})) << "frame " << i + 1;
        const json& cockpit = s["meshes"][layout::kCockpitMesh];
        EXPECT_EQ(cockpit[0], MeshName(on ? layout::kCockpitLitMeshName : layout::kCockpitMeshName));
        EXPECT_EQ(cockpit[1], 4) << "cockpit mesh visible in the virtual cockpit only";
    }
    EXPECT_EQ(Calls(t.events, "InsertMesh").size(), 2u) << "one mesh swap per key press";
}

TEST(ScenarioLaws, RefuelOnlyAtStandstill) {
    const Traced t = RunScenario("refuel");
    std::vector<double> fuel;
    for (const json& s : States(t.events, 0)) fuel.push_back(s["state"]["fuel"]);
    EXPECT_EQ(fuel, (std::vector<double>{5000.0, 20000.0, 20000.0, 20000.0, 7000.0, 7000.0}));
    const auto refills = Calls(t.events, "SetFuelMass");
    ASSERT_EQ(refills.size(), 1u);
    EXPECT_EQ(refills[0]["frame"], 2);
}

TEST(ScenarioLaws, TimeAccelerationRequestTakesEffectNextFrame) {
    const Traced t = RunScenario("time_acceleration");
    const auto sets = Calls(t.events, "oapiSetTimeAcceleration");
    ASSERT_EQ(sets.size(), 1u) << "exactly 10 is left alone";
    EXPECT_EQ(sets[0]["frame"], 1);
    EXPECT_EQ(sets[0]["args"][0], 10.0);
    for (const json& g : Calls(t.events, "oapiGetTimeAcceleration")) {
        const int f = g["frame"];
        if (f >= 1) {
            EXPECT_EQ(g["result"], f == 1 ? 100.0 : 10.0) << g.dump();
        }
    }
    EXPECT_EQ(States(t.events, 0)[0]["state"]["time_acc"], 10.0) << "the request shows in the frame it was made";
}

TEST(ScenarioLaws, EnvelopeIsSetAgainEveryStep) {
    const Traced t = RunScenario("flight_envelope");
    const json inside = json::parse("[0.3, 0.3, 0.67, 0.92]");
    const json outside = json::parse("[999.0, 999.0, 999.0, 999.0]");
    const auto states = States(t.events, 0);
    ASSERT_EQ(states.size(), 4u);
    const bool out[] = {false, true, false, true};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(states[i]["state"]["cw"], out[i] ? outside : inside) << "frame " << i + 1;
        EXPECT_EQ(states[i]["state"]["thrust_max"], json::array({out[i] ? 0.0 : 440000.0})) << "frame " << i + 1;
    }
}

TEST(ScenarioLaws, KeysGoToTheFocusVesselOnly) {
    const Traced t = RunScenario("vessels");
    const auto keys = Calls(t.events, "clbkConsumeBufferedKey");
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0]["vessel"], 2);
}

}  // namespace
