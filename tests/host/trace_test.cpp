// The call recorder: value formats, event structure and the order of events.
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <cerrno>

#include "host_test_util.h"

namespace {

using nlohmann::json;

double read_back(const std::string& s) {
    double d = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), d);
    EXPECT_EQ(r.ec, std::errc()) << s;
    EXPECT_EQ(r.ptr, s.data() + s.size()) << s;
    return d;
}

TEST(TraceFormat, DoublesRoundTripBitExactly) {
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.5,
                             0.1,
                             20000.0,
                             1e300,
                             1e308,
                             5e-324,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             PI,
                             RAD,
                             51544.5 + 0.02 / 86400,
                             1e15,
                             123456789012345680.0};
    for (double v : values) {
        std::string s = host::trace::format_double(v);
        // Always recognisable as a double, never as an integer.
        EXPECT_NE(s.find_first_of(".e"), std::string::npos) << s;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(read_back(s)), std::bit_cast<std::uint64_t>(v)) << s;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(json::parse(s).get<double>()), std::bit_cast<std::uint64_t>(v)) << s;
    }
    EXPECT_EQ(host::trace::format_double(-0.0), "-0.0");
    EXPECT_EQ(host::trace::format_double(20000.0), "20000.0");
}

TEST(TraceFormat, RandomBitPatternsRoundTrip) {
    std::mt19937_64 gen(12345);
    for (int i = 0; i < 20000; ++i) {
        double v = std::bit_cast<double>(gen());
        if (!std::isfinite(v)) continue;
        std::string s = host::trace::format_double(v);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(read_back(s)), std::bit_cast<std::uint64_t>(v)) << s;
    }
}

// The text of a value seen before is reused: a value met again after others
// took its slot, and values that differ only in sign or last bit, must each
// still read back as themselves.
TEST(TraceFormat, ValuesMetAgainReadBackTheSame) {
    std::mt19937_64 gen(777);
    std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 20000.0, std::nextafter(20000.0, 1e9), 5e-324, -5e-324};
    for (int i = 0; i < 4000; ++i) {
        const double v = std::bit_cast<double>(gen());
        if (std::isfinite(v)) values.push_back(v);
    }
    for (int pass = 0; pass < 3; ++pass) {
        for (double v : values) {
            const std::string s = host::trace::format_double(v);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(read_back(s)), std::bit_cast<std::uint64_t>(v)) << s << " pass " << pass;
            ASSERT_NE(s.find_first_of(".e"), std::string::npos) << s;
        }
    }
    EXPECT_EQ(host::trace::format_double(-0.0), "-0.0");
    EXPECT_EQ(host::trace::format_double(0.0), "0.0");
    EXPECT_EQ(json::parse(host::trace::format_double(std::numeric_limits<double>::quiet_NaN())), "nan");
}

TEST(TraceFormat, NonFiniteAsStrings) {
    struct Case {
        double v;
        const char* text;
    } cases[] = {{std::numeric_limits<double>::quiet_NaN(), "nan"},
                 {-std::numeric_limits<double>::quiet_NaN(), "nan"},
                 {std::numeric_limits<double>::infinity(), "inf"},
                 {-std::numeric_limits<double>::infinity(), "-inf"}};
    for (const Case& c : cases) EXPECT_EQ(json::parse(host::trace::format_double(c.v)), c.text);
}

TEST(TraceFormat, Handles) {
    host::Runtime rt;
    rt.set_mesh_dir(host_test::make_mesh_dir("trace-handles"));
    EXPECT_EQ(host::trace::format_handle(nullptr), "null");
    int junk = 0;
    EXPECT_EQ(host::trace::format_handle(&junk).rfind("\"unknown:0x", 0), 0u);
    rt.load_module(HOST_TEST_MODULE);
    rt.create_vessel();
    int b = rt.create_vessel();
    const host::VesselState& v = rt.vessel(b);
    EXPECT_EQ(host::trace::format_handle(v.handle), "\"vessel:1\"");
    EXPECT_EQ(host::trace::format_handle(v.thruster_groups[0].members[0]), "\"thruster:1:0\"");
    EXPECT_EQ(host::trace::format_handle(v.components[1].parent), "\"component:1:0\"");
    EXPECT_EQ(json::parse(host::trace::format_handle(v.meshes[0].mesh)), "mesh:Test\\Box");
}

TEST(TraceRecorder, BuilderWritesValidJson) {
    host_test::TraceCapture cap;
    host::trace::set_frame(7);
    host::trace::set_vessel(-1);
    VECTOR3 p{1, 2, 3};
    host::trace::Call("Sample")
        .num(0.5)
        .integer(-3)
        .boolean(true)
        .text("a \"quoted\" back\\slash\n\x01")
        .text(nullptr)
        .vec(p)
        .vec(static_cast<const VECTOR3*>(nullptr))
        .begin_array()
        .integer(1)
        .begin_array()
        .end_array()
        .integer(2)
        .end_array()
        .begin_object()
        .key("k")
        .num(1.0)
        .key("o")
        .begin_object()
        .end_object()
        .end_object()
        .result()
        .begin_array()
        .boolean(false)
        .null()
        .end_array()
        .end();
    host::trace::Call("NoResult").end();
    auto ev = cap.events();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0]["frame"], 7);
    EXPECT_EQ(ev[0]["vessel"], nullptr);
    EXPECT_EQ(ev[0]["args"], json::parse(R"([0.5, -3, true, "a \"quoted\" back\\slash\n\u0001", null, [1.0, 2.0, 3.0],
        null, [1, [], 2], {"k": 1.0, "o": {}}])"));
    EXPECT_EQ(ev[0]["result"], json::parse("[false, null]"));
    EXPECT_FALSE(ev[1].contains("result"));
    EXPECT_EQ(ev[1]["args"], json::array());
    // Key order and spacing are part of the trace format that tools parse.
    EXPECT_EQ(cap.text().substr(cap.text().find("{\"frame\": 7, \"vessel\": null, \"call\": \"NoResult\"")),
              "{\"frame\": 7, \"vessel\": null, \"call\": \"NoResult\", \"args\": []}\n");
    host::trace::set_frame(0);
}

// Each event carries the frame and vessel in force when it starts, however
// they change between events and back again.
TEST(TraceRecorder, EveryEventCarriesTheFrameAndVesselOfItsMoment) {
    struct Moment {
        std::int64_t frame;
        int vessel;
    } moments[] = {{7, -1}, {7, -1}, {7, 0}, {8, 0}, {8, 12}, {7, 12}, {7, -1}, {123456789012, 3}, {0, -1}};
    host_test::TraceCapture cap;
    for (const Moment& m : moments) {
        host::trace::set_frame(m.frame);
        host::trace::set_vessel(m.vessel);
        host::trace::Call("At").end();
    }
    auto ev = cap.events();
    ASSERT_EQ(ev.size(), std::size(moments));
    for (std::size_t i = 0; i < ev.size(); ++i) {
        EXPECT_EQ(ev[i]["frame"], moments[i].frame) << i;
        if (moments[i].vessel < 0) {
            EXPECT_EQ(ev[i]["vessel"], nullptr) << i;
        } else {
            EXPECT_EQ(ev[i]["vessel"], moments[i].vessel) << i;
        }
    }
    host::trace::set_frame(0);
    host::trace::set_vessel(-1);
}

TEST(TraceRecorder, OffWritesNothingAndPauseSilences) {
    std::string out;
    host::trace::set_sink([&out](std::string_view s) { out.append(s); });
    host::trace::enable(false);
    EXPECT_FALSE(host::trace::active());
    EXPECT_EQ(oapiGetInducedDrag(1.0, 2.0, 1.0), 1.0 / (2.0 * PI));
    host::trace::enable(true);
    {
        host::trace::Pause quiet;
        EXPECT_FALSE(host::trace::active());
        oapiGetInducedDrag(1.0, 2.0, 1.0);
    }
    EXPECT_TRUE(host::trace::active());
    host::trace::enable(false);
    host::trace::clear_sink();
    EXPECT_EQ(out, "");
}

TEST(TraceRecorder, FileSink) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    host::trace::set_sink(f);
    host::trace::enable(true);
    oapiGetInducedDrag(0.5, 2.0, 1.0);
    host::trace::enable(false);
    host::trace::clear_sink();
    std::rewind(f);
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    std::fclose(f);
    json e = json::parse(line);
    EXPECT_EQ(e["call"], "oapiGetInducedDrag");
    EXPECT_EQ(e["args"], json::parse("[0.5, 2.0, 1.0]"));
    EXPECT_EQ(e["result"].get<double>(), 0.25 / (PI * 2.0));
}

// A full disk must not pass unnoticed: the first failed write is kept with
// its reason, and nothing more is written after it.
TEST(TraceRecorder, FileSinkFailureIsReportedAndStopsWriting) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full on this machine";
    host::trace::set_sink(full);
    host::trace::enable(true);
    EXPECT_EQ(host::trace::sink_error(), 0);
    for (int i = 0; i < 10000; ++i) oapiGetInducedDrag(0.5, 2.0, 1.0);
    EXPECT_FALSE(host::trace::flush());
    EXPECT_EQ(host::trace::sink_error(), ENOSPC);
    host::trace::enable(false);
    host::trace::clear_sink();
    EXPECT_EQ(host::trace::sink_error(), ENOSPC) << "still known after the sink is gone";
    std::fclose(full);

    std::FILE* fine = std::tmpfile();
    ASSERT_NE(fine, nullptr);
    host::trace::set_sink(fine);
    EXPECT_EQ(host::trace::sink_error(), 0) << "a new sink starts clean";
    host::trace::enable(true);
    oapiGetInducedDrag(0.5, 2.0, 1.0);
    EXPECT_TRUE(host::trace::flush());
    host::trace::enable(false);
    host::trace::clear_sink();
    std::fclose(fine);
}

class TraceLifecycle : public ::testing::Test {
protected:
    void SetUp() override { rt.set_mesh_dir(host_test::make_mesh_dir("trace-life")); }
    host::Runtime rt;
};

TEST_F(TraceLifecycle, EventsInOrderWithFrameAndVessel) {
    host_test::TraceCapture cap;
    rt.load_module(HOST_TEST_MODULE);
    int i = rt.create_vessel();
    rt.set_airspeed_mps(12.5);
    rt.set_focus_heading_rad(std::nullopt);
    rt.run_frame(0.02, 0.02, 51544.5 + 0.02 / 86400);
    rt.set_frame(rt.frame() + 1);
    rt.destroy_vessel(i);
    rt.unload_module();
    auto ev = cap.events();
    auto names = host_test::call_names(ev);

    // Loading: the DLL entry's own calls first, then the entry itself.
    ASSERT_GE(names.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5),
              (std::vector<std::string>{"InitLib", "GetProcAddress", "DllMain", "Date2Int", "GetModuleVersion"}));
    EXPECT_EQ(ev[0]["args"], json::array({"module:TestVessel.so"}));
    EXPECT_EQ(ev[1]["args"], json::parse(R"(["module:TestVessel.so", "ExitModule"])"));
    EXPECT_EQ(ev[1]["result"], nullptr);
    EXPECT_EQ(ev[2]["args"], json::parse(R"(["module:TestVessel.so", 1, null])"));
    EXPECT_EQ(ev[2]["result"], 1);
    EXPECT_EQ(ev[3]["args"], json::array({"Apr 25 2006"}));
    EXPECT_EQ(ev[4]["result"], 60425);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(ev[static_cast<std::size_t>(k)]["vessel"], nullptr);
        EXPECT_EQ(ev[static_cast<std::size_t>(k)]["frame"], 0);
    }

    auto find = [&](const std::string& name, std::size_t from = 0) {
        for (std::size_t k = from; k < ev.size(); ++k) {
            if (ev[k].value("call", "") == name) return k;
        }
        ADD_FAILURE() << "no event " << name;
        return ev.size();
    };
    std::size_t mesh = find("oapiLoadMeshGlobal");
    std::size_t comp = find("AddAnimationComponent");
    std::size_t init = find("ovcInit");
    std::size_t caps = find("clbkSetClassCaps");
    std::size_t post = find("clbkPostCreation");
    std::size_t step = find("clbkPostStep");
    std::size_t exit = find("ovcExit");
    std::size_t detach = find("DllMain", exit);
    EXPECT_LT(mesh, init);
    EXPECT_LT(comp, init);
    EXPECT_LT(init, caps);
    EXPECT_LT(caps, post);
    EXPECT_LT(post, step);
    EXPECT_LT(step, exit);
    EXPECT_LT(exit, detach);

    EXPECT_EQ(ev[mesh]["args"], json::array({"Test\\Box"}));
    EXPECT_EQ(ev[mesh]["result"], "mesh:Test\\Box");
    EXPECT_EQ(ev[init]["args"], json::parse(R"(["vessel:0", 1])"));
    EXPECT_EQ(ev[init]["result"], "vessel:0");
    EXPECT_EQ(ev[init]["vessel"], 0);
    EXPECT_EQ(ev[caps]["args"], json::array({nullptr}));
    EXPECT_FALSE(ev[caps].contains("result"));
    EXPECT_EQ(ev[step]["frame"], 1);
    EXPECT_EQ(ev[step]["vessel"], 0);
    EXPECT_EQ(ev[step]["args"][2].get<double>(), 51544.5 + 0.02 / 86400);
    EXPECT_EQ(ev[exit]["frame"], 2);
    EXPECT_EQ(ev[exit]["args"], json::array({"vessel:0"}));
    EXPECT_EQ(ev[detach]["args"], json::parse(R"(["module:TestVessel.so", 0, null])"));
    EXPECT_EQ(ev[detach]["vessel"], nullptr);

    // Records by contents, drag variables by number, coefficient functions by number.
    EXPECT_EQ(ev[comp]["args"], json::parse(R"([0, 0.0, 1.0, {"type": "rotate", "mesh": 0, "groups": [4, 5, 6],
        "ref": [0.0, 0.5, 1.0], "axis": [1.0, 0.0, 0.0], "angle": )" +
                                            host::trace::format_double(static_cast<float>(30 * RAD)) +
                                            "}, null]"));
    EXPECT_EQ(ev[comp]["result"], "component:0:0");
    std::size_t comp2 = find("AddAnimationComponent", comp + 1);
    EXPECT_EQ(ev[comp2]["args"][3]["type"], "translate");
    EXPECT_EQ(ev[comp2]["args"][3]["shift"], json::parse("[0.0, 0.0, 0.15]"));
    EXPECT_EQ(ev[comp2]["args"][4], "component:0:0");
    std::size_t beacon = find("AddBeacon");
    EXPECT_EQ(ev[beacon]["args"][0], json::parse(R"({"shape": 2, "pos": [1.0, 2.0, 3.0], "col": [1.0, 0.0, 0.0],
        "size": 0.13, "falloff": 0.6, "period": 1.13, "duration": 0.05, "tofs": 0.6, "active": false})"));
    std::size_t drag = find("CreateVariableDragElement");
    EXPECT_EQ(ev[drag]["args"][0], json::parse(R"({"var": 0, "value": 0.25})"));
    EXPECT_EQ(ev[drag]["result"], "dragelem:0:0");
    std::size_t airfoil = find("CreateAirfoil");
    EXPECT_EQ(ev[airfoil]["args"][2], "coeff:0");
    std::size_t group = find("CreateThrusterGroup");
    EXPECT_EQ(ev[group]["args"], json::parse(R"([["thruster:0:0"], 1, 0])"));
    std::size_t prop = find("CreatePropellantResource");
    EXPECT_EQ(ev[prop]["args"], json::parse("[20000.0, -1.0, 1.0]"));
    std::size_t heading = find("oapiGetFocusHeading");
    EXPECT_EQ(ev[heading]["args"], json::array());
    EXPECT_EQ(ev[heading]["result"], json::parse("[false, null]"));
    std::size_t airspeed = find("GetAirspeed");
    EXPECT_EQ(ev[airspeed]["result"].get<double>(), 12.5);
    std::size_t add_mesh = find("AddMesh");
    EXPECT_EQ(ev[add_mesh]["args"], json::parse(R"(["mesh:Test\\Box", null])"));
    EXPECT_EQ(ev[add_mesh]["result"], 0);
}

TEST_F(TraceLifecycle, FocusHeadingResultCarriesTheHeading) {
    rt.load_module(HOST_TEST_MODULE);
    rt.create_vessel();
    rt.set_focus_heading_rad(-0.0);
    host_test::TraceCapture cap;
    rt.run_frame(0.02, 0.02, 51544.5);
    bool found = false;
    for (const auto& e : cap.events()) {
        if (e.value("call", "") != "oapiGetFocusHeading") continue;
        found = true;
        EXPECT_TRUE(e["result"][0].get<bool>());
        EXPECT_TRUE(std::signbit(e["result"][1].get<double>()));
    }
    EXPECT_TRUE(found);
    EXPECT_NE(cap.text().find("\"result\": [true, -0.0]"), std::string::npos);
}

TEST_F(TraceLifecycle, StateEventMatchesTheHost) {
    rt.load_module(HOST_TEST_MODULE);
    int i = rt.create_vessel();
    rt.set_airspeed_mps(25.0);
    rt.set_thruster_level(1.0);
    rt.set_time_acceleration(40.0);
    rt.queue_key(OAPI_KEY_K, true);
    rt.run_frame(0.02, 0.02, 51544.5);
    std::string out;
    host::trace::set_sink([&out](std::string_view s) { out.append(s); });
    rt.write_state_event(i);
    host::trace::flush();
    host::trace::clear_sink();
    json e = json::parse(out);
    const host::VesselState& v = rt.vessel(i);
    EXPECT_EQ(e["frame"], 1);
    EXPECT_EQ(e["vessel"], i);
    std::vector<std::string> keys;
    for (auto it = e["state"].begin(); it != e["state"].end(); ++it) keys.push_back(it.key());
    // nlohmann sorts keys; the order written is checked on the text below.
    EXPECT_EQ(keys.size(), 11u);
    const json& s = e["state"];
    EXPECT_EQ(s["anim"], json::array({v.animations[0].state}));
    EXPECT_EQ(s["drag"], json::array({*v.drag_elements[0].var}));
    EXPECT_EQ(s["beacons"], json::array({true}));
    EXPECT_EQ(s["touchdown"][1], json::parse("[-1.7, -1.5, -0.3]"));
    EXPECT_EQ(s["cw"], json::parse("[0.3, 0.3, 0.6, 0.9]"));
    EXPECT_EQ(s["thrust_max"], json::array({1000.0}));
    EXPECT_EQ(s["ctrl"].size(), 6u);
    EXPECT_EQ(s["camera_offset"], json::parse("[0.0, 0.64, 2.71]"));
    EXPECT_EQ(s["fuel"].get<double>(), 20000.0);
    EXPECT_EQ(s["time_acc"].get<double>(), 10.0);  // the module's request for the next frame
    EXPECT_EQ(s["meshes"], json::parse(R"([["mesh:Test\\Box", 1], [null, 1]])"));
    const char* order[] = {"anim", "drag", "beacons", "touchdown", "cw", "thrust_max",
                           "ctrl", "camera_offset", "fuel", "time_acc", "meshes"};
    std::size_t pos = 0;
    for (const char* k : order) {
        std::size_t at = out.find(std::string("\"") + k + "\": ", pos);
        ASSERT_NE(at, std::string::npos) << k;
        pos = at;
    }
}

}  // namespace
