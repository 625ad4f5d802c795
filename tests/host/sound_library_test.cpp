// The Windows-kernel stand-ins and the sound library: finding a loaded
// library, the stand-in's variants, ids and recorded calls.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <utility>

#include <gtest/gtest.h>

#include "host_test_util.h"
#include "scratch_dir.h"

namespace {

using host::HostError;
using host::Runtime;
using host_test::error_of;
using host_test::module_fn;
using host_test::RuntimeTest;

// --- Windows-kernel stand-ins and the sound library ------------------------

TEST_F(RuntimeTest, GetModuleHandleNeverLoads) {
    EXPECT_EQ(GetModuleHandleA("OrbiterSound.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA(HOST_TEST_SOUND), nullptr);
    EXPECT_EQ(dlopen(HOST_TEST_SOUND, RTLD_NOLOAD | RTLD_LAZY), nullptr);
    rt.load_sound_library(HOST_TEST_SOUND);
    HMODULE h = GetModuleHandleA("OrbiterSound.dll");
    ASSERT_NE(h, nullptr);
    EXPECT_NE(GetProcAddress(h, "PlayVesselWaveOBSound3"), nullptr);
    // Its dependency's exports are not its own.
    EXPECT_EQ(GetProcAddress(h, "InitLib"), nullptr);
    EXPECT_EQ(GetProcAddress(h, "NoSuchEntry"), nullptr);
    rt.unload_sound_library();
    EXPECT_EQ(GetModuleHandleA("OrbiterSound.dll"), nullptr);
}

// As the simulator's platform does: by the file name, whatever the soname,
// in any case, ".dll" implied; a mere suffix of the name is no match.
TEST_F(RuntimeTest, GetModuleHandleFindsALoadedLibraryByItsFileName) {
    for (const std::string& path : {std::string(HOST_TEST_SOUND),
                                   std::string(HOST_TEST_SOUND_FIXTURES) + "/no_soname/OrbiterSound.dll"}) {
        SCOPED_TRACE(path);
        rt.load_sound_library(path);
        HMODULE h = GetModuleHandleA("OrbiterSound.dll");
        ASSERT_NE(h, nullptr);
        EXPECT_NE(GetProcAddress(h, "PlayVesselWaveOBSound3"), nullptr);
        EXPECT_EQ(GetModuleHandleA("orbitersound.DLL"), h);
        EXPECT_EQ(GetModuleHandleA("OrbiterSound"), h);
        EXPECT_EQ(GetModuleHandleA(path.c_str()), h);
        EXPECT_EQ(GetModuleHandleA("Sound.dll"), nullptr);
        EXPECT_EQ(GetModuleHandleA("OrbiterSound.dl"), nullptr);
        rt.unload_sound_library();
        EXPECT_EQ(GetModuleHandleA("OrbiterSound.dll"), nullptr);
    }
}

TEST_F(RuntimeTest, SoundLibraryVariants) {
    static const char* const entries[] = {
        "LoadVesselWaveOBSound3", "PlayVesselWaveOBSound3", "PlayVesselExclusiveWaveOBSound3",
        "StopVesselWave3",        "IsPlayingVesselWave3",   "IsPlayingRadioVesselWave",
        "SoundOption3",           "SetFrequency",           "GetVesselSoundID3",
        "ReplaceStockOBSound3"};
    struct Case {
        std::string path;
        std::string missing;
        int first_id;
    } cases[] = {
        {HOST_TEST_SOUND, "", 0},
        {std::string(HOST_TEST_SOUND_FIXTURES) + "/no_stop/OrbiterSound.dll", "StopVesselWave3", 0},
        {std::string(HOST_TEST_SOUND_FIXTURES) + "/no_id/OrbiterSound.dll", "GetVesselSoundID3", 0},
        {std::string(HOST_TEST_SOUND_FIXTURES) + "/bad_id/OrbiterSound.dll", "", 60},
    };
    rt.load_module(HOST_TEST_MODULE);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        rt.load_sound_library(c.path);
        HMODULE h = GetModuleHandleA("OrbiterSound.dll");
        ASSERT_NE(h, nullptr);
        for (const char* e : entries) EXPECT_EQ(GetProcAddress(h, e) == nullptr, c.missing == e) << e;
        int a = rt.create_vessel();
        int b = rt.create_vessel();
        auto sound_id = module_fn<int (*)(VESSEL*)>(rt.module_instance(), "test_module_sound_id");
        int expected_a = c.missing == "GetVesselSoundID3" ? -1 : c.first_id;
        int expected_b = c.missing == "GetVesselSoundID3" ? -1 : c.first_id + 1;
        EXPECT_EQ(sound_id(rt.object(a)), expected_a);
        EXPECT_EQ(sound_id(rt.object(b)), expected_b);
        auto get_id = module_fn<int (*)(OBJHANDLE)>(h, "GetVesselSoundID3");
        if (get_id != nullptr) {
            EXPECT_EQ(get_id(rt.vessel(a).handle), expected_a);  // same handle, same id
        }
        rt.destroy_all_vessels();
        rt.unload_sound_library();
        EXPECT_EQ(dlopen(c.path.c_str(), RTLD_NOLOAD | RTLD_LAZY), nullptr);
    }
}

// Ids count from the base in order of each handle's first request, dead
// vessels' handles and foreign values included; a handle asked again keeps its id.
TEST_F(RuntimeTest, SoundIdsFollowFirstRequestOfEachHandle) {
    rt.load_module(HOST_TEST_MODULE);
    const std::pair<std::string, int> libs[] = {
        {HOST_TEST_SOUND, 0}, {std::string(HOST_TEST_SOUND_FIXTURES) + "/bad_id/OrbiterSound.dll", 60}};
    for (const auto& [path, base] : libs) {
        SCOPED_TRACE(path);
        rt.load_sound_library(path);
        auto get_id = module_fn<int (*)(OBJHANDLE)>(GetModuleHandleA("OrbiterSound.dll"), "GetVesselSoundID3");
        ASSERT_NE(get_id, nullptr);
        auto sound_id = module_fn<int (*)(VESSEL*)>(rt.module_instance(), "test_module_sound_id");
        std::vector<OBJHANDLE> handles;
        for (int k = 0; k < 300; ++k) {
            const int v = rt.create_vessel();
            handles.push_back(rt.vessel(v).handle);
            ASSERT_EQ(sound_id(rt.object(v)), base + k);
            rt.destroy_vessel(v);
        }
        int foreign = 0;
        EXPECT_EQ(get_id(&foreign), base + 300);
        for (std::size_t k = handles.size(); k-- > 0;) {
            EXPECT_EQ(get_id(handles[k]), base + static_cast<int>(k));
        }
        EXPECT_EQ(get_id(&foreign), base + 300);
        EXPECT_EQ(get_id(nullptr), base + 301);
        rt.unload_sound_library();
    }
}

TEST_F(RuntimeTest, SoundCallsAreRecordedUnderTheirEntryNames) {
    rt.load_sound_library(HOST_TEST_SOUND);
    rt.load_module(HOST_TEST_MODULE);
    host_test::TraceCapture cap;
    int i = rt.create_vessel();
    HMODULE h = GetModuleHandleA("OrbiterSound.dll");
    auto play = module_fn<int (*)(int, int, int, int, int)>(h, "PlayVesselWaveOBSound3");
    auto load = module_fn<int (*)(int, int, char*, int)>(h, "LoadVesselWaveOBSound3");
    char wave[] = "Sound\\Vantorel\\Vantorel-Eng.wav";
    EXPECT_NE(load(0, 1, wave, 4), 0);
    EXPECT_NE(play(0, 1, 1, 255, 19000), 0);
    auto ev = cap.events();
    nlohmann::json id_event, load_event, play_event;
    for (const auto& e : ev) {
        if (e.value("call", "") == "GetVesselSoundID3") id_event = e;
        if (e.value("call", "") == "LoadVesselWaveOBSound3") load_event = e;
        if (e.value("call", "") == "PlayVesselWaveOBSound3") play_event = e;
    }
    EXPECT_EQ(id_event["vessel"], i);
    EXPECT_EQ(id_event["args"][0], "vessel:" + std::to_string(i));
    EXPECT_EQ(id_event["result"], 0);
    EXPECT_EQ(load_event["args"], nlohmann::json::parse(R"([0, 1, "Sound\\Vantorel\\Vantorel-Eng.wav", 4])"));
    EXPECT_EQ(play_event["args"], nlohmann::json::parse("[0, 1, 1, 255, 19000]"));
    EXPECT_EQ(play_event["vessel"], nullptr);  // called from outside any callback
}

}  // namespace
