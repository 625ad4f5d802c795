// The host's rule for moving groups, on the components the module registers.
#include <gtest/gtest.h>

#include <cmath>

#include "vantorel/vessel_layout.h"
#include "mesh/mesh_pose.h"
#include "render/vessel_scene.h"

namespace {

namespace layout = vantorel::layout;
using host::mesh::Vec3;
using A = layout::Animation;

struct LocalCase {
    double s, a, b, f;
};

TEST(MeshPose, LocalStateClampsToTheComponentsRange) {
    const LocalCase cases[] = {{0.0, 0.0, 1.0, 0.0}, {0.3, 0.0, 1.0, 0.3}, {0.25, 0.0, 0.5, 0.5}, {0.75, 0.0, 0.5, 1.0},
                               {0.3, 0.5, 1.0, 0.0},  {0.75, 0.5, 1.0, 0.5}, {0.35, 0.1, 0.6, 0.5}, {1.5, 0.0, 1.0, 1.0},
                               {0.5, 0.5, 0.5, 1.0},  {0.4, 0.5, 0.5, 0.0}};
    for (const auto& c : cases) EXPECT_NEAR(host::mesh::LocalState(c.s, c.a, c.b), c.f, 1e-12) << c.s << " " << c.a;
}

void ExpectNear(Vec3 a, Vec3 b, double tol = 1e-9) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

TEST(MeshPose, RotationTurnsAboutItsReferencePoint) {
    // +90 degrees about +z through (1, 0, 0): x turns towards y.
    const auto r = host::mesh::RotationAbout({1, 0, 0}, {0, 0, 1}, M_PI / 2);
    ExpectNear(r.Apply({2, 0, 0}), {1, 1, 0});
    ExpectNear(r.Apply({1, 0, 5}), {1, 0, 5});
    ExpectNear(r.Linear({0, 1, 0}), {-1, 0, 0});
}

class PoseOnModule : public testing::Test {
protected:
    vantorel_sim::VesselScene scene{vantorel_sim::SceneOptions{}};
    void Set(A a, double s) { scene.SetState(static_cast<unsigned>(layout::Index(a)), s); }
    std::vector<host::mesh::Affine> Groups(unsigned mesh, std::size_t n) {
        return host::mesh::GroupTransforms(scene.vessel(), mesh, n);
    }
};

TEST_F(PoseOnModule, InitialStatesLeaveEveryGroupWhereTheFileHasIt) {
    for (const auto& t : Groups(0, 420)) ExpectNear(t.Apply({1, 2, 3}), {1, 2, 3});
    for (const auto& t : Groups(1, 332)) ExpectNear(t.Apply({1, 2, 3}), {1, 2, 3});
}

TEST_F(PoseOnModule, ControlSurfaceTurnsHalfItsAngleFromNeutral) {
    Set(A::aileron_left, 1.0);  // created at 0.5: half of the 25-degree range
    const auto t = Groups(0, 420)[1];
    const Vec3 ref{-3.86218, -0.1992677, -4.336602};
    const Vec3 axis = host::mesh::Normalised({1, 0, 1});
    ExpectNear(t.Apply(ref), ref, 1e-6);
    ExpectNear(t.Apply(ref + axis), ref + axis, 1e-6);
    const Vec3 off{0, 1, 0};
    const double cos_turn = host::mesh::Dot(t.Linear(off), off);
    EXPECT_NEAR(std::acos(cos_turn) * 180 / M_PI, 12.5, 1e-4);
    ExpectNear(Groups(0, 420)[2].Apply(off), off);  // the other aileron stays
}

TEST_F(PoseOnModule, NoseWheelFollowsItsParentSteeringThenTheLeg) {
    const Vec3 steer_ref{0, -0.2135228, 4.660895}, spin_ref{0, -1.3201, 4.606005}, leg_ref{0, -0.2189643, 4.584713};
    Set(A::nose_steer, 1.0);  // +45 degrees about y from straight
    const Vec3 d = spin_ref - steer_ref, s45 = {d.x * std::cos(M_PI / 4) + d.z * std::sin(M_PI / 4), d.y,
                                               -d.x * std::sin(M_PI / 4) + d.z * std::cos(M_PI / 4)};
    // The wheel is not steered by name: only as the spin's parent.
    ExpectNear(Groups(0, 420)[46].Apply(spin_ref), steer_ref + s45, 1e-6);
    Set(A::wheel_roll, 0.25);  // spinning leaves the hub where it is
    ExpectNear(Groups(0, 420)[46].Apply(spin_ref), steer_ref + s45, 1e-6);
    Set(A::gear, 0.5);  // legs fully up: -105 degrees about x, after the steering
    const auto leg = host::mesh::RotationAbout(leg_ref, {1, 0, 0}, -105 * M_PI / 180);
    ExpectNear(Groups(0, 420)[46].Apply(spin_ref), leg.Apply(steer_ref + s45), 1e-5);
}

TEST_F(PoseOnModule, TranslationMovesByItsShiftTimesTheLocalState) {
    Set(A::throttle, 0.6);
    ExpectNear(Groups(1, 332)[266].Apply({0, 0, 0}), {0, 0, 0.09}, 1e-9);
}

TEST_F(PoseOnModule, PosedMeshMovesNormalsWithTheirGroup) {
    host::mesh::Mesh m;
    m.groups.resize(420);
    m.groups[3].vertices.push_back({{0, 0, 0}, {0, 1, 0}, 0, 0});
    Set(A::flaps, 1.0);  // flaps full: half their 27-degree range from the created 0.5
    host::mesh::PoseMesh(scene.vessel(), 0, m);
    EXPECT_NEAR(std::acos(m.groups[3].vertices[0].normal.y) * 180 / M_PI, 13.5, 1e-4);
}

}  // namespace
