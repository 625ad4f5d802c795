// Key commands, engine sound, throttle lever and the light switch, with the
// stand-in sound library loaded so that every sound request is visible.
#include <cstring>

#include "definition/vessel_constants.h"
#include "module_test_support.h"

namespace vantorel_test {
namespace {

using vantorel::VantorelVessel;

class KeysTest : public WhiteBoxTest {
protected:
    void SetUp() override {
        WhiteBoxTest::SetUp();
        runtime->load_sound_library(SoundLibraryPath());
        v = Create();
        ASSERT_EQ(Vessel(v).sound_id, 0);
    }
    int Key(DWORD code, bool down = true, char* kstate = nullptr) {
        return Vessel(v).clbkConsumeBufferedKey(code, down, kstate);
    }
    int v = -1;
};

// Bytes of the state record, to prove a key changed nothing.
std::vector<unsigned char> Snapshot(const vantorel::ModuleState& s) {
    const auto* p = reinterpret_cast<const unsigned char*>(&s);
    return std::vector<unsigned char>(p, p + sizeof s);
}

TEST_F(KeysTest, EveryCodeReleasedIsIgnoredAndOnlyTheFiveKeysAct) {
    const DWORD command_keys[] = {OAPI_KEY_0, OAPI_KEY_F, OAPI_KEY_G, OAPI_KEY_J, OAPI_KEY_K};
    for (DWORD code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const auto before = Snapshot(state);
        EXPECT_EQ(Key(code, false), 0);
        EXPECT_EQ(Snapshot(state), before);
        const bool command = std::find(std::begin(command_keys), std::end(command_keys), code) != std::end(command_keys);
        EXPECT_EQ(Key(code, true), command ? 1 : 0);
        if (!command) {
            EXPECT_EQ(Snapshot(state), before);
        }
        state = vantorel::ModuleState{};
    }
}

struct ToggleCase {
    double pos;
    int current_status;
    int expected_status;
};

const ToggleCase kToggle[] = {
    {0.0, 0, 1}, {1.0, 0, 2}, {0.5, 0, 1}, {0.3, 1, 1}, {0.7, 1, 2}, {0.4, 2, 1}, {0.6, 1, 2}, {0.50000001, 0, 2},
};

TEST_F(KeysTest, ToggleRuleLooksOnlyAtThePosition) {
    struct Key3 {
        DWORD key;
        int vantorel::ModuleState::*status;
        double vantorel::ModuleState::*pos;
    };
    const Key3 keys[] = {{OAPI_KEY_0, &vantorel::ModuleState::canopy_status, &vantorel::ModuleState::canopy_pos},
                         {OAPI_KEY_F, &vantorel::ModuleState::flap_status, &vantorel::ModuleState::flap_pos},
                         {OAPI_KEY_G, &vantorel::ModuleState::gear_status, &vantorel::ModuleState::gear_pos}};
    for (const Key3& k : keys) {
        for (const ToggleCase& c : kToggle) {
            SCOPED_TRACE(std::to_string(k.key) + " at " + std::to_string(c.pos));
            state.*k.pos = c.pos;
            state.*k.status = c.current_status;
            EXPECT_EQ(Key(k.key), 1);
            EXPECT_EQ(state.*k.status, c.expected_status);
        }
    }
}

TEST_F(KeysTest, GearKeyMovesTheLeverByItsOwnPosition) {
    state.gear_pos = 0.8;
    state.gear_lever_pos = 0.2;
    TraceCapture trace;
    EXPECT_EQ(Key(OAPI_KEY_G), 1);
    EXPECT_EQ(state.gear_status, 2);
    EXPECT_EQ(state.gear_lever_status, 1);
    const std::vector<json> plays = trace.calls("PlayVesselWaveOBSound3");
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0]["args"], json::parse("[0, 2, 0, 255, 0]"));
}

TEST_F(KeysTest, GearKeyOnTheGroundIsConsumedButDoesNothing) {
    runtime->set_ground_contact(true);
    TraceCapture trace;
    EXPECT_EQ(Key(OAPI_KEY_G), 1);
    EXPECT_EQ(state.gear_status, 0);
    EXPECT_EQ(state.gear_lever_status, 0);
    EXPECT_TRUE(trace.calls("PlayVesselWaveOBSound3").empty());
}

TEST_F(KeysTest, CanopyAndFlapKeysPlayTheSameOneShotWave) {
    TraceCapture trace;
    Key(OAPI_KEY_0);
    Key(OAPI_KEY_F);
    const std::vector<json> plays = trace.calls("PlayVesselWaveOBSound3");
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[0]["args"], json::parse("[0, 3, 0, 255, 0]"));
    EXPECT_EQ(plays[1]["args"], plays[0]["args"]);
}

TEST_F(KeysTest, ModifiersMakeNoDifference) {
    char kstate[256];
    std::memset(kstate, 0x80, sizeof kstate);  // every key, Shift and Ctrl included, held down
    EXPECT_EQ(Key(OAPI_KEY_F, true, kstate), 1);
    EXPECT_EQ(state.flap_status, 1);
}

TEST_F(KeysTest, RefuelRequestOnlyAtAStandstillAndNeverReReadWhilePending) {
    runtime->set_airspeed_mps(0.001);
    EXPECT_EQ(Key(OAPI_KEY_J), 1);
    EXPECT_EQ(state.refuel_request, 0.0);
    runtime->set_airspeed_mps(0.0);
    EXPECT_EQ(Key(OAPI_KEY_J), 1);
    EXPECT_EQ(state.refuel_request, 1.0);
    TraceCapture trace;
    EXPECT_EQ(Key(OAPI_KEY_J), 1);
    EXPECT_TRUE(trace.calls("GetAirspeed").empty());
    EXPECT_EQ(state.refuel_request, 1.0);
}

TEST_F(KeysTest, LightKeyTogglesAndRefusesAnyOtherValue) {
    EXPECT_EQ(Key(OAPI_KEY_K), 1);
    EXPECT_EQ(state.lights_on, 1.0);
    EXPECT_EQ(Key(OAPI_KEY_K), 1);
    EXPECT_EQ(state.lights_on, 0.0);
    EXPECT_EQ(state.lights_changed, 1.0);
    state.lights_on = 0.5;
    state.lights_changed = 0.0;
    EXPECT_EQ(Key(OAPI_KEY_K), 0);
    EXPECT_EQ(state.lights_on, 0.5);
    EXPECT_EQ(state.lights_changed, 0.0);
}

TEST_F(KeysTest, KeysWorkWithoutASoundConnection) {
    Vessel(v).sound_id = -1;
    TraceCapture trace;
    EXPECT_EQ(Key(OAPI_KEY_F), 1);
    EXPECT_EQ(state.flap_status, 1);
    EXPECT_TRUE(trace.calls("PlayVesselWaveOBSound3").empty());
}

// ---------------------------------------------------------------------------
// Engine sound and throttle lever
// ---------------------------------------------------------------------------

struct EngineCase {
    double level;
    bool cockpit;
    int volume;
    int frequency;  // 0: a stop request instead
};

const EngineCase kEngine[] = {
    {1.0, false, 255, 19000}, {1.0, true, 220, 17200}, {0.5, false, 255, 16000},
    {0.5, true, 220, 14200},  {0.0, false, 0, 0},      {0.0, true, 0, 0},
    {3.0, false, 255, 22500}, {-1.0, false, 255, 11500}, {0.1234, false, 255, 13740},
};

TEST_F(KeysTest, EngineSoundByTable) {
    for (const EngineCase& c : kEngine) {
        SCOPED_TRACE(std::to_string(c.level) + (c.cockpit ? " cockpit" : " outside"));
        runtime->set_thruster_level(c.level);
        runtime->set_camera_internal(c.cockpit);
        TraceCapture trace;
        Step();
        const std::vector<json> plays = trace.calls("PlayVesselWaveOBSound3");
        const std::vector<json> stops = trace.calls("StopVesselWave3");
        EXPECT_EQ(state.main_level, c.level);
        EXPECT_EQ(Anim(v, &VantorelVessel::anim_throttle), c.level);
        if (c.level == 0.0) {
            EXPECT_TRUE(plays.empty());
            ASSERT_EQ(stops.size(), 1u);
            EXPECT_EQ(stops[0]["args"], json::parse("[0, 1]"));
        } else if (c.level > 0.0) {
            EXPECT_TRUE(stops.empty());
            ASSERT_EQ(plays.size(), 1u);
            EXPECT_EQ(plays[0]["args"], json::array({0, 1, 1, c.volume, c.frequency}));
        } else {
            // A negative level is neither running nor exactly stopped.
            EXPECT_TRUE(plays.empty());
            EXPECT_TRUE(stops.empty());
        }
    }
}

// ---------------------------------------------------------------------------
// Light switch
// ---------------------------------------------------------------------------

TEST_F(KeysTest, LightKeyAppliesInTheNextStepOnlyOnce) {
    Key(OAPI_KEY_K);
    TraceCapture trace;
    Step();
    EXPECT_TRUE(state.beacon_left.active);
    EXPECT_TRUE(state.beacon_right.active);
    EXPECT_EQ(state.lights_changed, 0.0);
    const std::vector<json> inserts = trace.calls("InsertMesh");
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_EQ(inserts[0]["args"][0], json::parse(host::trace::format_handle(state.mesh_cockpit_lit)));
    EXPECT_EQ(inserts[0]["args"][1], 1);
    EXPECT_EQ(inserts[0]["args"][2], json::parse("[0.0, 0.2, 4.5]"));
    const std::vector<json> vis = trace.calls("SetMeshVisibilityMode");
    ASSERT_EQ(vis.size(), 1u);
    EXPECT_EQ(vis[0]["args"], json::array({inserts[0]["result"], 4}));
    EXPECT_EQ(Host(v).meshes.at(1).mesh, state.mesh_cockpit_lit);
    EXPECT_EQ(Host(v).meshes.at(1).visibility, MESHVIS_VC);
    trace.clear();
    Step(3);
    EXPECT_TRUE(trace.calls("InsertMesh").empty());
}

TEST_F(KeysTest, LightKeyTwiceBeforeAStepReappliesTheUnchangedState) {
    Key(OAPI_KEY_K);
    Key(OAPI_KEY_K);
    EXPECT_EQ(state.lights_on, 0.0);
    EXPECT_EQ(state.lights_changed, 1.0);
    state.beacon_left.active = true;  // whatever the beacons show, the step sets them to the state
    TraceCapture trace;
    Step();
    EXPECT_FALSE(state.beacon_left.active);
    EXPECT_FALSE(state.beacon_right.active);
    const std::vector<json> inserts = trace.calls("InsertMesh");
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_EQ(inserts[0]["args"][0], json::parse(host::trace::format_handle(state.mesh_cockpit)));
}

}  // namespace
}  // namespace vantorel_test
