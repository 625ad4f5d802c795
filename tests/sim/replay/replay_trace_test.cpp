// The trace as the replay writes it: every kind of value, exact doubles,
// frame numbering and timing, state events, and the replay's host rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>
#include <regex>
#include <set>

#include "replay_test_support.h"
#include "runtime/host_runtime.h"

namespace {

using replay_test::Calls;
using replay_test::json;
using replay_test::RunTraced;
using replay_test::States;

std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Reads a double as the trace writes it, without going through a JSON library.
double ReadBack(const std::string& text) {
    if (text == "\"nan\"") return std::nan("");
    if (text == "\"inf\"") return INFINITY;
    if (text == "\"-inf\"") return -INFINITY;
    double v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    EXPECT_EQ(r.ec, std::errc()) << text;
    EXPECT_EQ(r.ptr, text.data() + text.size()) << text;
    return v;
}

TEST(ReplayTrace, DoublesReadBackBitExactly) {
    std::mt19937_64 rng(20060425);
    for (int i = 0; i < 200000; ++i) {
        double v = std::bit_cast<double>(rng());
        if (std::isnan(v)) continue;
        const std::string s = host::trace::format_double(v);
        ASSERT_EQ(Bits(ReadBack(s)), Bits(v)) << s;
        // A double never looks like an integer in the trace.
        ASSERT_TRUE(s.find_first_of(".e") != std::string::npos) << s;
    }
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {{0.0, "0.0"},        {-0.0, "-0.0"},           {1.0, "1.0"},
                          {0.1, "0.1"},        {440000.0, "440000.0"},   {0.00242, "0.00242"},
                          {INFINITY, "\"inf\""}, {-INFINITY, "\"-inf\""}, {std::nan(""), "\"nan\""}};
    for (const Case& c : cases) EXPECT_EQ(host::trace::format_double(c.v), c.text);
}

TEST(ReplayTrace, ScriptReadingsReachTheTraceBitExactly) {
    const double values[] = {0.1, -0.0, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, 699.9999999999999, 1e-7};
    std::string script;
    for (double v : values) script += "{\"aoa\": " + host::trace::format_double(v) + "}\n";
    auto t = RunTraced(script);
    // The raw text of each GetAOA result, in frame order (the module asks more than once a step).
    const std::regex aoa(R"(^\{"frame": (\d+), "vessel": 0, "call": "GetAOA", "args": \[\], "result": ([^}]*)\}$)");
    std::vector<std::string> seen(std::size(values) + 1);
    for (const std::string& line : t.lines) {
        std::smatch m;
        if (std::regex_match(line, m, aoa)) seen[std::stoul(m[1])] = m[2];
    }
    for (std::size_t i = 0; i < std::size(values); ++i) {
        ASSERT_FALSE(seen[i + 1].empty()) << "no GetAOA in frame " << i + 1;
        EXPECT_EQ(Bits(ReadBack(seen[i + 1])), Bits(values[i])) << seen[i + 1];
    }
}

// Every kind of value the trace can hold, from one rich run.
TEST(ReplayTrace, EveryKindOfValueAppears) {
    auto options = replay_test::BuildOptions();
    options.vessels = 2;
    auto t = RunTraced(
        "{\"airspeed\": -0.0, \"thrust\": 0.5, \"aoa\": \"nan\", \"bank\": \"inf\", \"altitude\": \"-inf\", \"internal\": true, "
        "\"heading\": 0.75, \"load_vc\": 0, \"keys\": [\"G\", {\"code\": 200, \"down\": false}]}\n"
        "{\"heading\": null}\n",
        options);
    const std::string& text = t.text;
    auto has = [&](const std::string& piece) { return text.find(piece) != std::string::npos; };

    // Handles of every kind, per vessel, numbered from 0.
    for (const char* kind : {"airfoil", "ctrlsurf", "dragelem", "propellant", "thruster", "thgroup", "component"}) {
        for (int v : {0, 1}) EXPECT_TRUE(has("\"" + std::string(kind) + ":" + std::to_string(v) + ":0\"")) << kind;
    }
    EXPECT_TRUE(has("\"vessel:1\""));
    EXPECT_TRUE(has("\"mesh:Ombrix\\\\Vantorel\""));
    EXPECT_TRUE(has("\"module:Vantorel.so\""));
    EXPECT_TRUE(has("\"module:OrbiterSound.dll\""));
    EXPECT_TRUE(has("\"proc:PlayVesselWaveOBSound3\""));
    EXPECT_TRUE(has("\"coeff:0\"") && has("\"coeff:1\""));

    auto first = [&](const char* call) {
        auto c = Calls(t.events, call);
        EXPECT_FALSE(c.empty()) << call;
        return c.empty() ? json() : c.front();
    };
    // Animation handles are the integers CreateAnimation returned.
    EXPECT_TRUE(first("CreateAnimation")["result"].is_number_integer());
    EXPECT_TRUE(first("SetAnimation")["args"][0].is_number_integer());
    EXPECT_TRUE(first("SetAnimation")["args"][1].is_number_float());
    // Texts, booleans, null, vectors, arrays of handles.
    EXPECT_EQ(first("Date2Int")["args"][0], "Apr 25 2006");
    EXPECT_EQ(first("oapiCameraInternal")["result"], true);
    EXPECT_TRUE(first("DllMain")["args"][2].is_null());
    EXPECT_EQ(first("SetTouchdownPoints")["args"][0].size(), 3u);
    EXPECT_EQ(first("CreateThrusterGroup")["args"][0], json::parse(R"(["thruster:0:0"])"));
    // Readings no JSON number can hold, and a negative zero.
    EXPECT_EQ(first("GetAOA")["result"], "nan");
    EXPECT_EQ(first("GetBank")["result"], "inf");
    EXPECT_EQ(first("GetAltitude")["result"], "-inf");
    EXPECT_TRUE(has("\"call\": \"GetAirspeed\", \"args\": [], \"result\": -0.0}"));
    // Records by contents.
    const std::set<std::string> beacon_keys = {"shape", "pos",   "col",  "size",  "falloff",
                                               "period", "duration", "tofs", "active"};
    std::set<std::string> keys;
    const json beacon = first("AddBeacon")["args"][0];
    for (const auto& [k, _] : beacon.items()) keys.insert(k);
    EXPECT_EQ(keys, beacon_keys);
    bool rotate = false, translate = false;
    for (const json& c : Calls(t.events, "AddAnimationComponent")) {
        const json& r = c["args"][3];
        rotate |= r["type"] == "rotate" && r.contains("ref") && r.contains("axis") && r.contains("angle");
        translate |= r["type"] == "translate" && r.contains("shift") && r["groups"].is_array();
    }
    EXPECT_TRUE(rotate && translate);
    const json hud = first("oapiVCRegisterHUD")["args"][0];
    EXPECT_TRUE(hud.contains("nmesh") && hud.contains("ngroup") && hud["hudcnt"].size() == 3 && hud.contains("size"));
    const json mfd = first("oapiVCRegisterMFD")["args"][1];
    EXPECT_TRUE(mfd.contains("nmesh") && mfd.contains("ngroup"));
    const json drag = first("CreateVariableDragElement")["args"][0];
    EXPECT_EQ(drag["var"], 0);
    EXPECT_TRUE(drag["value"].is_number_float());
    // Output arguments go into the result.
    const auto headings = Calls(t.events, "oapiGetFocusHeading");
    ASSERT_FALSE(headings.empty());
    EXPECT_EQ(headings.front()["result"], json::parse("[true, 0.75]"));
    EXPECT_EQ(headings.back()["result"], json::parse("[false, null]"));
    // Key events as delivered.
    const auto keys_seen = Calls(t.events, "clbkConsumeBufferedKey");
    ASSERT_EQ(keys_seen.size(), 2u);
    EXPECT_EQ(keys_seen[1]["args"], json::parse("[200, false, null]"));
    // "result" is there exactly for functions that return a value.
    EXPECT_FALSE(first("SetSize").contains("result"));
    EXPECT_TRUE(first("GetAirspeed").contains("result"));
}

TEST(ReplayTrace, FramesAreNumberedAndTimedFromOne) {
    auto t = RunTraced("{}\n{\"repeat\": 3}\n");
    const auto steps = Calls(t.events, "clbkPostStep");
    ASSERT_EQ(steps.size(), 4u);
    for (int f = 1; f <= 4; ++f) {
        const json& s = steps[static_cast<std::size_t>(f - 1)];
        EXPECT_EQ(s["frame"], f);
        EXPECT_EQ(s["vessel"], 0);
        const double simt = f * 0.02;
        EXPECT_EQ(Bits(s["args"][0].get<double>()), Bits(simt));
        EXPECT_EQ(Bits(s["args"][1].get<double>()), Bits(0.02));
        EXPECT_EQ(Bits(s["args"][2].get<double>()), Bits(51544.5 + simt / 86400.0));
    }
    // Frame 0: loading outside any vessel, then the first vessel's creation.
    std::vector<std::string> frame0;
    for (const json& e : t.events) {
        if (e["frame"] == 0 && e.contains("call") &&
            (e["vessel"].is_null() || e["call"].get<std::string>().rfind("clbk", 0) == 0 || e["call"] == "ovcInit")) {
            frame0.push_back(e["call"].get<std::string>() + (e["vessel"].is_null() ? "@-" : "@0"));
        }
    }
    const std::vector<std::string> want0 = {"InitLib@-",         "GetProcAddress@-",   "GetProcAddress@-",
                                            "DllMain@-",         "Date2Int@-",         "GetModuleVersion@-",
                                            "ovcInit@0",         "clbkSetClassCaps@0", "clbkPostCreation@0"};
    EXPECT_EQ(frame0, want0);
    // Tear-down in the frame after the last: ovcExit, then the DLL entry's detach.
    ASSERT_GE(t.events.size(), 2u);
    const json& exit_call = t.events[t.events.size() - 2];
    const json& detach = t.events.back();
    EXPECT_EQ(exit_call["call"], "ovcExit");
    EXPECT_EQ(exit_call["frame"], 5);
    EXPECT_EQ(exit_call["args"][0], "vessel:0");
    EXPECT_EQ(detach["call"], "DllMain");
    EXPECT_EQ(detach["frame"], 5);
    EXPECT_EQ(detach["args"][1], 0);
    EXPECT_TRUE(detach["vessel"].is_null());
}

TEST(ReplayTrace, StateEventsFollowEachFramesStepsForEveryLivingVessel) {
    auto options = replay_test::BuildOptions();
    options.vessels = 3;
    auto t = RunTraced("{}\n{\"destroy\": 1}\n{\"create\": 1}\n", options);
    // Per frame: the steps, then the states, both in index order.
    std::map<std::int64_t, std::vector<std::string>> order;
    for (const json& e : t.events) {
        const std::int64_t f = e["frame"].get<std::int64_t>();
        if (e.contains("state")) {
            order[f].push_back("state" + std::to_string(e["vessel"].get<int>()));
        } else if (e["call"] == "clbkPostStep") {
            order[f].push_back("step" + std::to_string(e["vessel"].get<int>()));
        }
    }
    EXPECT_EQ(order[1], (std::vector<std::string>{"step0", "step1", "step2", "state0", "state1", "state2"}));
    EXPECT_EQ(order[2], (std::vector<std::string>{"step0", "step2", "state0", "state2"}));
    EXPECT_EQ(order[3], (std::vector<std::string>{"step0", "step2", "step3", "state0", "state2", "state3"}));
    EXPECT_EQ(order.count(4), 0u) << "no state events during the tear-down";

    const json state = States(t.events, 0).front()["state"];
    std::vector<std::string> keys;
    for (const auto& [k, _] : state.items()) keys.push_back(k);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"anim", "beacons", "camera_offset", "ctrl", "cw", "drag", "fuel",
                                              "meshes", "thrust_max", "time_acc", "touchdown"}));
    EXPECT_EQ(state["ctrl"].size(), 6u);
    EXPECT_EQ(state["touchdown"].size(), 3u);
    EXPECT_EQ(state["cw"].size(), 4u);
    EXPECT_EQ(state["meshes"][0], json::parse(R"(["mesh:Ombrix\\Vantorel", 1])"));
}

TEST(ReplayTrace, CreationRunsWholeBeforeTheNextAndIndicesAreNotReused) {
    auto t = RunTraced("{\"destroy\": 0}\n{\"create\": 2, \"focus\": 2, \"keys\": [\"K\"]}\n");
    std::vector<std::string> lifecycle;
    for (const json& e : t.events) {
        const std::string c = e.value("call", "");
        if (c == "ovcInit" || c == "clbkSetClassCaps" || c == "clbkPostCreation" || c == "ovcExit" ||
            c == "clbkConsumeBufferedKey") {
            lifecycle.push_back(std::to_string(e["frame"].get<int>()) + ":" + c + "@" +
                                std::to_string(e["vessel"].get<int>()));
        }
    }
    const std::vector<std::string> want = {
        "0:ovcInit@0",          "0:clbkSetClassCaps@0", "0:clbkPostCreation@0", "1:ovcExit@0",
        "2:ovcInit@1",          "2:clbkSetClassCaps@1", "2:clbkPostCreation@1", "2:ovcInit@2",
        "2:clbkSetClassCaps@2", "2:clbkPostCreation@2", "2:clbkConsumeBufferedKey@2", "3:ovcExit@1",
        "3:ovcExit@2"};
    EXPECT_EQ(lifecycle, want);
    EXPECT_EQ(t.summary.vessels_created, 3);
    EXPECT_EQ(t.summary.destroyed, std::vector<int>{0});
}

TEST(ReplayTrace, ReadingsApplyOnceAndTheModulesChangesStand) {
    // Fuel and time acceleration are set at the first repetition only: the
    // refill and the cap are not undone by the later repetitions.
    auto t = RunTraced("{\"fuel\": 5000, \"time_acc\": 100, \"keys\": [\"J\"], \"repeat\": 3}\n");
    const auto states = States(t.events, 0);
    ASSERT_EQ(states.size(), 3u);
    for (const json& s : states) {
        EXPECT_EQ(s["state"]["fuel"], 20000.0) << s.dump();
        EXPECT_EQ(s["state"]["time_acc"], 10.0) << s.dump();
    }
    const auto keys = Calls(t.events, "clbkConsumeBufferedKey");
    ASSERT_EQ(keys.size(), 1u) << "keys act in the first repetition only";
    EXPECT_EQ(keys[0]["frame"], 1);
    std::vector<double> factors;
    for (const json& c : Calls(t.events, "oapiGetTimeAcceleration")) {
        if (c["frame"].get<std::size_t>() > factors.size()) factors.push_back(c["result"]);
    }
    EXPECT_EQ(factors, (std::vector<double>{100.0, 10.0, 10.0}));
}

TEST(ReplayTrace, ReadingsPersistAndReachVesselsCreatedLater) {
    auto t = RunTraced("{\"altitude\": 1234.5, \"ground\": true, \"thrust\": 0.5, \"rudder\": -0.25}\n"
                       "{\"repeat\": 2}\n{\"create\": 1}\n");
    for (const json& c : Calls(t.events, "GetAltitude")) {
        if (c["frame"] >= 1) {
            EXPECT_EQ(c["result"], 1234.5) << c.dump();
        }
    }
    for (const json& c : Calls(t.events, "GroundContact")) {
        if (c["frame"] >= 1) {
            EXPECT_EQ(c["result"], true) << c.dump();
        }
    }
    for (const json& c : Calls(t.events, "GetThrusterLevel")) {
        if (c["frame"] >= 1) {
            EXPECT_EQ(c["result"], 0.5) << c.dump();
        }
    }
    const auto late = States(t.events, 1);
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0]["state"]["ctrl"][1], -0.25);
    bool vessel1_asked = false;
    for (const json& c : Calls(t.events, "GetAltitude")) vessel1_asked |= c["vessel"] == 1;
    EXPECT_TRUE(vessel1_asked);
}

TEST(ReplayTrace, FlightModelIsPassedToTheVessel) {
    auto options = replay_test::BuildOptions();
    options.flight_model = 0;
    auto t = RunTraced("{}\n", options);
    EXPECT_EQ(Calls(t.events, "ovcInit").front()["args"], json::parse(R"(["vessel:0", 0])"));
    for (const json& c : Calls(t.events, "GetFlightModel")) EXPECT_EQ(c["result"], 0);
}

TEST(ReplayTrace, WithoutSoundTheModuleFindsNoLibraryAndLogs) {
    std::filesystem::remove("OrbiterSound_Log.txt");
    auto options = replay_test::BuildOptions();
    options.sound = false;
    auto t = RunTraced("{\"keys\": [\"G\"]}\n", options);
    const auto lookups = Calls(t.events, "GetModuleHandleA");
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_TRUE(lookups[0]["result"].is_null());
    for (const json& e : t.events) EXPECT_EQ(e.value("call", "").find("OBSound"), std::string::npos) << e.dump();
    EXPECT_TRUE(std::filesystem::exists("OrbiterSound_Log.txt"));
    EXPECT_FALSE(t.summary.sound);
    std::filesystem::remove("OrbiterSound_Log.txt");
}

TEST(ReplayTrace, WithoutATraceNothingIsRecorded) {
    std::size_t bytes = 0;
    host::trace::set_sink([&](std::string_view s) { bytes += s.size(); });
    auto options = replay_test::BuildOptions();
    const auto summary =
        vantorel_sim::replay::RunReplay(vantorel_sim::replay::ParseScriptText("{\"repeat\": 5}\n"), options);
    host::trace::clear_sink();
    EXPECT_EQ(bytes, 0u);
    EXPECT_FALSE(host::trace::enabled());
    EXPECT_EQ(summary.frames, 5);
}

TEST(ReplayTrace, LoadFailuresAreReportedAsSuch) {
    auto options = replay_test::BuildOptions();
    options.module_path = "/nonexistent/Vantorel.so";
    EXPECT_THROW(vantorel_sim::replay::RunReplay(vantorel_sim::replay::ParseScriptText("{}\n"), options),
                 vantorel_sim::replay::LoadError);
    options = replay_test::BuildOptions();
    options.sound_path = "/nonexistent/OrbiterSound.dll";
    EXPECT_THROW(vantorel_sim::replay::RunReplay(vantorel_sim::replay::ParseScriptText("{}\n"), options),
                 vantorel_sim::replay::LoadError);
    // The script is checked first: an unusable one never reaches the loader.
    options.module_path = "/nonexistent/Vantorel.so";
    EXPECT_THROW(vantorel_sim::replay::RunReplay(vantorel_sim::replay::ParseScriptText("{\"destroy\": 4}\n"), options),
                 vantorel_sim::replay::ReplayScriptError);
}

}  // namespace
