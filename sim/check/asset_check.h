// The asset checker: what a vessel's meshes and sounds must satisfy for the
// module that animates them. Every rule reads the components the module
// registered through the host; each finding names the group, the component
// and the distance.
#ifndef VANTOREL_SIM_CHECK_ASSET_CHECK_H
#define VANTOREL_SIM_CHECK_ASSET_CHECK_H

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/geometry.h"
#include "check/triangle_index.h"
#include "mesh/mesh_file.h"
#include "render/vessel_scene.h"
#include "mesh/affine.h"

namespace vantorel_sim::check {

using host::mesh::Vec3;

struct Finding {
    int rule;
    std::string text;
};

// A component the vessel registered, as the host holds it (index from 0;
// reported from 1, as "component N").
struct Part {
    std::size_t index;
    unsigned anim;
    std::string anim_name;
    unsigned mesh;
    std::vector<unsigned> groups;
    bool rotation;
    Vec3 ref, axis;  // axis normalised
    double angle_rad;
    Vec3 shift;
    double state0, state1;
};

// Why each value: docs/render-and-check.md.
struct Tolerances {
    double pivot_m = 0.05;             // rule 2: axis to its groups' geometry
    double wheel_centre_m = 0.01;      // rule 2: spin axis to wheel centre
    double touchdown_height_m = 0.02;  // rule 3
    double touchdown_across_m = 0.05;  // rule 3
    double skin_m = 0.02;              // rule 4: a closed door outside the skin (and its sampling)
    double cover_m = 0.01;             // rule 4: a bare point of a stowed leg beside its cover (and its sampling)
    double flat_m = 0.001;             // rule 1: display flatness
    double crossing_clearance_m = 0.003;  // rule 5: deeper than this through a static face (and its sampling)
    double hinge_m = 0.03;             // rule 5: crossings this near the axis belong to the hinge
    int motion_samples = 9;            // rule 5: states per animation
    double dial_m = 0.01;              // rule 6: pivot to its dial
};

// The static faces of a mesh (its groups no component names), as
// TrianglesOf lists them, with each face's group.
struct StaticFaces {
    TriangleIndex faces;
    std::vector<unsigned> group;
};

class CheckContext {
public:
    CheckContext(VesselScene& scene, Tolerances tolerances = {});

    VesselScene& scene() { return scene_; }
    const host::VesselState& vessel() const { return scene_.vessel(); }
    const std::vector<Part>& parts() const { return parts_; }
    const Tolerances& tol() const { return tol_; }

    // Meshes as stored; null with a finding already made when the file is unusable.
    const host::mesh::Mesh* exterior() const { return exterior_ ? &*exterior_ : nullptr; }
    const host::mesh::Mesh* cockpit() const { return cockpit_ ? &*cockpit_ : nullptr; }
    const host::mesh::Mesh* cockpit_lit() const { return cockpit_lit_ ? &*cockpit_lit_ : nullptr; }
    const host::mesh::Mesh* Stored(unsigned mesh) const;
    // The triangles of `groups` as TrianglesOf lists them, posed with the given
    // animations set and the rest at their initial states. Only these groups
    // are moved: a detailed mesh is not copied for every pose.
    std::vector<Triangle> PosedTriangles(unsigned mesh, const std::vector<std::pair<unsigned, double>>& states,
                                         const std::vector<unsigned>& groups);

    // Parts of the animation named so in the layout.
    std::vector<const Part*> PartsOf(const char* anim_name) const;
    // Groups of `mesh` that no component names.
    std::vector<unsigned> StaticGroups(unsigned mesh) const;
    // Their faces, indexed once for all the rules.
    const StaticFaces& Statics(unsigned mesh);
    // Whether a part rotates the wheels (its animation is the wheel roll).
    bool IsWheel(const Part& p) const;

    std::vector<Finding>& load_findings() { return load_findings_; }

    // How far the run is: CheckAll tells on_progress(fraction done, what)
    // as it goes from rule to rule, and a long rule tells how far it is
    // within itself through Advance(fraction of the rule).
    void SetProgress(std::function<void(double, const std::string&)> on_progress) {
        on_progress_ = std::move(on_progress);
    }
    void StartRule(int rule) {
        rule_ = rule;
        Advance(0);
    }
    void Advance(double fraction) const {
        if (on_progress_)
            on_progress_((rule_ - 1 + fraction) / kRules, "rule " + std::to_string(rule_) + " of " + std::to_string(kRules));
    }

private:
    VesselScene& scene_;
    Tolerances tol_;
    std::vector<Part> parts_;
    std::optional<host::mesh::Mesh> exterior_, cockpit_, cockpit_lit_;
    std::map<unsigned, StaticFaces> statics_;
    std::vector<Finding> load_findings_;
    static constexpr int kRules = 7;
    int rule_ = 1;
    std::function<void(double, const std::string&)> on_progress_;
};

// "group G (component C)" and a distance in metres with 3 decimals.
std::string Where(unsigned group, const Part& part);
std::string Metres(double m);

std::vector<Finding> CheckGroups(CheckContext& c);       // rule 1
std::vector<Finding> CheckPivots(CheckContext& c);       // rule 2
std::vector<Finding> CheckTouchdown(CheckContext& c);    // rule 3
std::vector<Finding> CheckGearStowed(CheckContext& c);   // rule 4
std::vector<Finding> CheckMotion(CheckContext& c);       // rule 5
std::vector<Finding> CheckInstruments(CheckContext& c);  // rule 6
// Rule 7: the vessel's wave files under `asset_dir`.
std::vector<Finding> CheckWaves(const std::string& asset_dir);

// Every rule, in order.
std::vector<Finding> CheckAll(CheckContext& c);

}  // namespace vantorel_sim::check

#endif
