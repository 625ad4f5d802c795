// The sound connector: connect failures and their log entries, the library's
// entry table, the wrappers' range checks and the log writer's file handling.
// Each test runs in a fresh directory, since the log goes to the current one,
// and black-box tests load the module afresh, since its log counter lives as
// long as the module stays loaded.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "module_test_support.h"
#include "scratch_dir.h"

namespace vantorel_test {
namespace {

namespace fs = std::filesystem;

const char kHeader[] = "Orbiter Sound Log Started\n*****************************\n\n";
const char kSeparator[] = "--------------------------------------\n";
const char kNotInstalled[] =
    "ERR01= Vessel->ConnectToOrbiterSoundDLL3: Unable to connect to OrbiterSound 3.0 - not installed or activated";
const char kMissingRoutines[] = "ERR02= ConnectToOrbiterSoundDLL3: Unable to find routines missing OrbiterSound3.0 ?";
const char kNoGetId[] = "ERR03= unable to connect to GetMyID, Older OrbiterSound.dll ?";

std::string Entry(const char* message) { return std::string(kSeparator) + message + "\n\n"; }

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the test in a folder of its own, where the module writes its log.
class ScratchWorkingDirectory {
public:
    fs::path log() const { return scratch_.path() / "OrbiterSound_Log.txt"; }

private:
    test_support::ScratchDir scratch_;
    test_support::WorkingDirectory working_{scratch_.path()};
};

class SoundConnectorTest : public BlackBoxTest {
protected:
    ScratchWorkingDirectory scratch;
    std::string FixturePath(const char* variant) {
        return std::string(VANTOREL_BUILD_DIR) + "/lib/fixtures/" + variant + "/OrbiterSound.dll";
    }
};

TEST_F(SoundConnectorTest, WithoutTheLibraryEachVesselLogsOneEntryAndNothingReachesALibrary) {
    LoadModule();
    TraceCapture trace;
    runtime->create_vessel();
    EXPECT_EQ(ReadFile(scratch.log()), kHeader + Entry(kNotInstalled));
    runtime->create_vessel();
    EXPECT_EQ(ReadFile(scratch.log()), kHeader + Entry(kNotInstalled) + Entry(kNotInstalled));
    // No library entry was resolved or called; the vessels run without sound.
    EXPECT_TRUE(trace.calls("GetProcAddress").empty());
    runtime->set_thruster_level(1.0);
    Step(3);
    for (const json& e : trace.all()) {
        const std::string name = e.value("call", "");
        EXPECT_EQ(name.find("OBSound"), std::string::npos) << name;
        EXPECT_EQ(name.find("Wave3"), std::string::npos) << name;
    }
}

TEST_F(SoundConnectorTest, HeaderIsWrittenOnceAlsoAcrossAModuleReload) {
    LoadModule();
    runtime->create_vessel();
    runtime->destroy_all_vessels();
    runtime->unload_module();
    LoadModule();
    runtime->create_vessel();
    EXPECT_EQ(ReadFile(scratch.log()), kHeader + Entry(kNotInstalled) + Entry(kNotInstalled));
}

TEST_F(SoundConnectorTest, AtMostOneHundredAndOneEntriesPerModuleLoad) {
    LoadModule();
    for (int i = 0; i < 101; ++i) runtime->destroy_vessel(runtime->create_vessel());
    const std::string full = ReadFile(scratch.log());
    // The 102nd failure neither writes nor opens the file: with the log gone,
    // nothing brings it back.
    fs::remove(scratch.log());
    runtime->create_vessel();
    EXPECT_FALSE(fs::exists(scratch.log()));
    std::string expected = kHeader;
    for (int i = 0; i < 101; ++i) expected += Entry(kNotInstalled);
    EXPECT_EQ(full, expected);
}

TEST_F(SoundConnectorTest, ExistingLogIsAppendedToAndNeverEmptied) {
    { std::ofstream(scratch.log()) << "earlier session\n"; }
    LoadModule();
    runtime->create_vessel();
    EXPECT_EQ(ReadFile(scratch.log()), "earlier session\n" + Entry(kNotInstalled));
}

TEST_F(SoundConnectorTest, LogThatIsADirectoryIsLeftAloneAndTheVesselFliesOn) {
    fs::create_directory(scratch.log());
    fs::path inside = scratch.log() / "keep.txt";
    { std::ofstream(inside) << "kept"; }
    LoadModule();
    const int v = runtime->create_vessel();
    Step(2);
    EXPECT_TRUE(fs::is_directory(scratch.log()));
    EXPECT_EQ(ReadFile(inside), "kept");
    EXPECT_TRUE(runtime->alive(v));
}

struct FixtureCase {
    const char* variant;
    const char* message;
};

TEST_F(SoundConnectorTest, IncompleteLibrariesByTable) {
    // A library lacking a required routine reports that first, whether or not
    // it has the id entry; one lacking only the id entry reports that.
    const FixtureCase cases[] = {{"no_stop", kMissingRoutines}, {"no_id", kNoGetId}};
    for (const FixtureCase& c : cases) {
        SCOPED_TRACE(c.variant);
        fs::remove(scratch.log());
        runtime.reset();  // one runtime at a time: the next one loads this variant
        runtime = std::make_unique<host::Runtime>();
        runtime->load_sound_library(FixturePath(c.variant));
        LoadModule();
        TraceCapture trace;
        runtime->create_vessel();
        EXPECT_EQ(ReadFile(scratch.log()), kHeader + Entry(c.message));
        EXPECT_EQ(trace.calls("GetProcAddress").size(), 10u);
        EXPECT_TRUE(trace.calls("LoadVesselWaveOBSound3").empty());
        EXPECT_TRUE(trace.calls("GetVesselSoundID3").empty());
    }
}

TEST_F(SoundConnectorTest, AnIdOutsideTheRangeMakesEveryLaterCallANoOp) {
    runtime->load_sound_library(FixturePath("bad_id"));
    LoadModule();
    TraceCapture trace;
    runtime->create_vessel();
    ASSERT_EQ(trace.calls("GetVesselSoundID3").size(), 1u);
    EXPECT_EQ(trace.calls("GetVesselSoundID3")[0]["result"], 60);
    runtime->set_thruster_level(1.0);
    runtime->queue_key(OAPI_KEY_F, true);
    Step(2);
    EXPECT_TRUE(trace.calls("LoadVesselWaveOBSound3").empty());
    EXPECT_TRUE(trace.calls("SoundOption3").empty());
    EXPECT_TRUE(trace.calls("PlayVesselWaveOBSound3").empty());
    EXPECT_FALSE(fs::exists(scratch.log()));
}

TEST_F(SoundConnectorTest, PostCreationLoadsTheWavesAndSwitchesOffTheStockSounds) {
    runtime->load_sound_library(SoundLibraryPath());
    LoadModule();
    TraceCapture trace;
    runtime->create_vessel();
    const std::vector<json> loads = trace.calls("LoadVesselWaveOBSound3");
    ASSERT_EQ(loads.size(), 3u);
    EXPECT_EQ(loads[0]["args"], json::parse(R"([0, 1, "Sound\\Vantorel\\Vantorel-Eng.wav", 4])"));
    EXPECT_EQ(loads[1]["args"], json::parse(R"([0, 3, "Sound\\Vantorel\\Vantorel-Flaps.wav", 4])"));
    EXPECT_EQ(loads[2]["args"], json::parse(R"([0, 2, "Sound\\Vantorel\\Vantorel-Gear.wav", 4])"));
    std::vector<int> options;
    for (const json& call : trace.calls("SoundOption3")) {
        EXPECT_EQ(call["args"][0], 0);
        EXPECT_EQ(call["args"][2], 0);
        options.push_back(call["args"][1]);
    }
    EXPECT_EQ(options, (std::vector<int>{5, 6, 1, 13, 14, 16, 17}));
    // Entries resolved in their order, then the id asked with the vessel's handle.
    const std::vector<json> lookups = trace.calls("GetProcAddress");
    ASSERT_EQ(lookups.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(lookups[i]["args"][1], vantorel::sound_entry_names[i]);
    EXPECT_EQ(trace.calls("GetVesselSoundID3").at(0)["args"][0], "vessel:0");
    EXPECT_FALSE(fs::exists(scratch.log()));
    // A second vessel gets the next id.
    trace.clear();
    runtime->create_vessel();
    EXPECT_EQ(trace.calls("GetVesselSoundID3").at(0)["result"], 1);
}

// The wrappers' range checks, against entries that count their calls.
int calls_made = 0;
int CountLoad(int, int, char*, int) { return ++calls_made; }
int CountPlay(int, int, int, int, int) { return ++calls_made; }
int CountStop(int, int) { return ++calls_made; }
int CountOption(int, int, int) { return ++calls_made; }

template <typename Fn>
FARPROC AsEntry(Fn f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

using SoundWrapperTest = WhiteBoxTest;

TEST_F(SoundWrapperTest, RangeChecksByTable) {
    vantorel::SoundEntryTable[0] = AsEntry(&CountLoad);
    vantorel::SoundEntryTable[1] = AsEntry(&CountPlay);
    vantorel::SoundEntryTable[3] = AsEntry(&CountStop);
    vantorel::SoundEntryTable[6] = AsEntry(&CountOption);
    char wave[] = "w.wav";
    struct Case {
        int id, slot_or_option;
        bool accepted;
    };
    const Case slots[] = {{0, 1, true},  {0, 0, false}, {0, 60, true},  {0, 61, false},
                          {-1, 1, false}, {59, 1, true}, {60, 1, false}};
    for (const Case& c : slots) {
        SCOPED_TRACE(std::to_string(c.id) + "/" + std::to_string(c.slot_or_option));
        calls_made = 0;
        EXPECT_EQ(vantorel::LoadVesselWave(c.id, c.slot_or_option, wave, 4) != 0, c.accepted);
        EXPECT_EQ(vantorel::PlayVesselWave(c.id, c.slot_or_option, 0, 255, 0) != 0, c.accepted);
        EXPECT_EQ(vantorel::StopVesselWave(c.id, c.slot_or_option) != 0, c.accepted);
        EXPECT_EQ(calls_made, c.accepted ? 3 : 0);
    }
    const Case options[] = {{0, 0, false}, {0, 1, true}, {0, 17, true}, {0, 18, false}, {-1, 5, false}, {59, 5, true}};
    for (const Case& c : options) {
        calls_made = 0;
        EXPECT_EQ(vantorel::SoundOption(c.id, c.slot_or_option, 0) != 0, c.accepted) << c.id << "/" << c.slot_or_option;
        EXPECT_EQ(calls_made, c.accepted ? 1 : 0);
    }
    // An absent entry: nothing is called.
    vantorel::SoundEntryTable[1] = nullptr;
    calls_made = 0;
    EXPECT_EQ(vantorel::PlayVesselWave(0, 1, 0, 255, 0), 0);
    EXPECT_EQ(calls_made, 0);
}

}  // namespace
}  // namespace vantorel_test
