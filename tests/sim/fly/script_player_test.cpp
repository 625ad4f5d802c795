// The script player on its own: which lines are due, in which order, and
// what each command does to the autopilot, the host and the milestone log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flight_test_support.h"
#include "fly/autopilot.h"
#include "fly/milestones.h"
#include "fly/pilot_script.h"
#include "fly/script_player.h"

namespace {

using namespace vantorel_sim::fly;
using flight_test::Aircraft;

struct Player {
    explicit Player(const std::string& text)
        : script(ParsePilotScript(text, "player.fly")),
          pilot(*aircraft.model),
          log(*aircraft.model, nullptr, milestones),
          player(script, aircraft.rt, *aircraft.model, pilot, log) {
        aircraft.model->PlaceOnGround(0);
    }
    Aircraft aircraft;
    PilotScript script;
    Autopilot pilot;
    std::vector<Milestone> milestones;
    MilestoneLog log;
    PilotScriptPlayer player;
};

TEST(PilotScriptPlayer, RunsEveryDueLineInOrderAndStopsAtEnd) {
    Player p("0 throttle 40%\n0 note first\n+0 view cockpit\n0 warp 4\n0 end\n");
    std::string end_reason;
    p.player.RunDue(0, end_reason);
    EXPECT_EQ(end_reason, "'end' on line 5");
    EXPECT_TRUE(p.player.done());
    EXPECT_EQ(p.player.done_fraction(), 1.0);
    EXPECT_EQ(p.pilot.manual().throttle, 0.4);
    EXPECT_EQ(p.aircraft.rt.time_acceleration(), 4.0);
    ASSERT_EQ(p.milestones.size(), 2u);
    EXPECT_EQ(p.milestones[0].kind, "note");
    EXPECT_EQ(p.milestones[0].text, "first");
    EXPECT_EQ(p.milestones[1].text, "view: cockpit");
}

TEST(PilotScriptPlayer, ALineWaitsForItsTriggerAndHoldsBackTheRest) {
    Player p("0 hold pitch 5\nwhen distance_m >= 100 hold speed 80\n0 note after the condition\n");
    std::string end_reason;
    p.player.RunDue(99.9, end_reason);
    EXPECT_EQ(p.pilot.target(Hold::pitch), 5.0);
    EXPECT_FALSE(p.pilot.target(Hold::speed));
    EXPECT_TRUE(p.milestones.empty()) << "a later line ran before the one waiting";
    EXPECT_EQ(p.player.done_fraction(), 1.0 / 3.0);
    p.player.RunDue(100.0, end_reason);
    EXPECT_EQ(p.pilot.target(Hold::speed), 80.0);
    EXPECT_EQ(p.milestones.size(), 1u);
    EXPECT_TRUE(p.player.done());
    EXPECT_TRUE(end_reason.empty());
}

TEST(PilotScriptPlayer, AfterCountsFromTheLineBefore) {
    Player p("0 note a\n+2 note b\n");
    std::string end_reason;
    p.player.RunDue(0, end_reason);
    EXPECT_EQ(p.milestones.size(), 1u);
    EXPECT_EQ(p.player.last_fired_s(), 0.0);
    p.aircraft.Fly(1.0);
    p.player.RunDue(0, end_reason);
    EXPECT_EQ(p.milestones.size(), 1u) << "+2 ran after 1 s";
    p.aircraft.Fly(1.0);
    p.player.RunDue(0, end_reason);
    EXPECT_EQ(p.milestones.size(), 2u);
    EXPECT_NEAR(p.player.last_fired_s(), 2.0, 1e-9);
}

// A stick input takes its channel back from the holds that use it.
TEST(PilotScriptPlayer, ManualInputsReleaseTheirHolds) {
    struct Case {
        const char* line;
        std::vector<Hold> released;
        std::vector<Hold> kept;
    };
    for (const Case& c : {Case{"0 elevator 0.2", {Hold::pitch}, {Hold::bank, Hold::speed}},
                          Case{"0 aileron 0.2", {Hold::bank}, {Hold::pitch, Hold::speed}},
                          Case{"0 rudder 0.2", {}, {Hold::pitch, Hold::bank, Hold::speed}},
                          Case{"0 throttle 20%", {Hold::speed}, {Hold::pitch, Hold::bank}}}) {
        Player p(std::string("0 hold pitch 3\n0 hold bank 10\n0 hold speed 90\n") + c.line + "\n");
        std::string end_reason;
        p.player.RunDue(0, end_reason);
        for (Hold h : c.released) EXPECT_FALSE(p.pilot.target(h)) << c.line << ": " << HoldName(h);
        for (Hold h : c.kept) EXPECT_TRUE(p.pilot.target(h)) << c.line << ": " << HoldName(h);
    }
}

}  // namespace
