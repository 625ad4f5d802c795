// The typed observer of the sound library's requests, driven through the
// stand-in library's own entries as a module calls them.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "host_test_util.h"
#include "runtime/sound_requests.h"

namespace {

using host::SoundRequest;
using Kind = SoundRequest::Kind;

auto fields(const SoundRequest& r) { return std::make_tuple(r.kind, r.id, r.slot, r.loop, r.volume, r.frequency_hz); }

// Observing is process-wide: every test leaves it off.
class SoundRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        rt.load_sound_library(HOST_TEST_SOUND);
        lib = GetModuleHandleA("OrbiterSound.dll");
        ASSERT_NE(lib, nullptr);
    }
    void TearDown() override { host::set_sound_observer({}); }

    template <class F>
    F entry(const char* name) {
        auto f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }

    void observe() {
        host::set_sound_observer([this](const SoundRequest& r) { seen.push_back(r); });
    }

    host::Runtime rt;
    HMODULE lib = nullptr;
    std::vector<SoundRequest> seen;
};

TEST_F(SoundRequestsTest, PlayStopAndLoadArriveWithTheirArguments) {
    auto load = entry<int (*)(int, int, char*, int)>("LoadVesselWaveOBSound3");
    auto play = entry<int (*)(int, int, int, int, int)>("PlayVesselWaveOBSound3");
    auto exclusive = entry<int (*)(int, int, int, int, int)>("PlayVesselExclusiveWaveOBSound3");
    auto stop = entry<int (*)(int, int)>("StopVesselWave3");
    char wave[] = "Sound\\Vantorel\\Vantorel-Eng.wav";
    observe();
    ASSERT_TRUE(host::sound_observed());
    load(3, 1, wave, 4);
    play(3, 1, 1, 200, 19000);
    exclusive(2, 5, 0, 255, 0);
    stop(3, 1);
    play(0, 7, 0, 0, 44100);

    const SoundRequest expected[] = {
        {Kind::load, 3, 1, 0, 0, 0},
        {Kind::play, 3, 1, 1, 200, 19000},
        {Kind::play_exclusive, 2, 5, 0, 255, 0},
        {Kind::stop, 3, 1, 0, 0, 0},
        {Kind::play, 0, 7, 0, 0, 44100},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(fields(seen[i]), fields(expected[i])) << "request " << i;
}

// Queries, options and ids are not requests to play anything.
TEST_F(SoundRequestsTest, QueriesAndOptionsAreNotReported) {
    auto playing = entry<int (*)(int, int)>("IsPlayingVesselWave3");
    auto radio = entry<int (*)(int, int)>("IsPlayingRadioVesselWave");
    auto option = entry<int (*)(int, int, int)>("SoundOption3");
    auto frequency = entry<int (*)(int, int, int)>("SetFrequency");
    auto get_id = entry<int (*)(OBJHANDLE)>("GetVesselSoundID3");
    auto replace = entry<int (*)(int, int, char*)>("ReplaceStockOBSound3");
    char wave[] = "Sound\\Vantorel\\Wind.wav";
    observe();
    playing(0, 1);
    radio(0, 1);
    option(0, 2, 1);
    frequency(0, 1, 22050);
    get_id(nullptr);
    replace(0, 3, wave);
    EXPECT_TRUE(seen.empty());
}

TEST_F(SoundRequestsTest, ClearingOrReplacingTheObserverStopsDelivery) {
    auto play = entry<int (*)(int, int, int, int, int)>("PlayVesselWaveOBSound3");
    auto stop = entry<int (*)(int, int)>("StopVesselWave3");
    observe();
    play(0, 1, 1, 255, 19000);
    host::set_sound_observer({});
    EXPECT_FALSE(host::sound_observed());
    play(0, 1, 1, 128, 20000);
    stop(0, 1);
    EXPECT_EQ(seen.size(), 1u);

    int replaced = 0;
    observe();
    host::set_sound_observer([&replaced](const SoundRequest&) { ++replaced; });
    stop(0, 1);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(replaced, 1);
}

// The observer and the recorder are independent: each sees every request
// whether the other is on or not, and the trace is the same either way.
TEST_F(SoundRequestsTest, ObserverAndRecorderAreIndependent) {
    auto play = entry<int (*)(int, int, int, int, int)>("PlayVesselWaveOBSound3");
    observe();
    play(1, 1, 1, 90, 11025);  // recorder off
    std::string unobserved, observed;
    {
        host_test::TraceCapture cap;
        play(1, 1, 1, 100, 12000);
        observed = cap.text();
    }
    host::set_sound_observer({});
    {
        host_test::TraceCapture cap;
        play(1, 1, 1, 100, 12000);
        unobserved = cap.text();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].volume, 90);
    EXPECT_EQ(seen[1].frequency_hz, 12000);
    EXPECT_NE(observed.find("\"call\": \"PlayVesselWaveOBSound3\""), std::string::npos);
    EXPECT_EQ(observed, unobserved);
}

}  // namespace
