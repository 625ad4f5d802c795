#include "render/views.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "vantorel/vessel_layout.h"

namespace vantorel_sim {

namespace layout = vantorel::layout;

namespace {

struct NamedView {
    View view;
    const char* name;
};
constexpr NamedView kViews[] = {{View::front, "front"},         {View::side, "side"},
                               {View::top, "top"},             {View::three_quarter, "three-quarter"},
                               {View::underside, "underside"}, {View::pilot, "pilot"}};

// Direction from the vessel towards the viewer, and the picture's up.
std::pair<Vec3, Vec3> Orientation(View v) {
    switch (v) {
        case View::front: return {{0, 0, 1}, {0, 1, 0}};
        case View::side: return {{-1, 0, 0}, {0, 1, 0}};
        case View::top: return {{0, 1, 0}, {0, 0, 1}};
        case View::underside: return {{0, -1, 0}, {0, 0, 1}};
        case View::three_quarter: return {{-1, 0.55, 0.9}, {0, 1, 0}};
        case View::pilot: break;
    }
    return {{0, 0, -1}, {0, 1, 0}};
}

// An orthographic camera that frames the mesh with a margin.
Camera Framed(const host::mesh::Mesh& mesh, Vec3 offset, View v, double aspect) {
    const auto [towards, up] = Orientation(v);
    Camera cam = Camera::Looking({0, 0, 0}, towards * -1.0, up);
    double lo[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    double hi[2] = {-lo[0], -lo[1]};
    Vec3 sum;
    std::size_t n = 0;
    for (const auto& g : mesh.groups)
        for (const auto& vert : g.vertices) {
            const Vec3 p = vert.pos_m + offset;
            const double xy[2] = {host::mesh::Dot(p, cam.right), host::mesh::Dot(p, cam.up)};
            for (int i = 0; i < 2; ++i) lo[i] = std::min(lo[i], xy[i]), hi[i] = std::max(hi[i], xy[i]);
            sum = sum + p;
            ++n;
        }
    if (n == 0) return cam;
    const double cx = (lo[0] + hi[0]) / 2, cy = (lo[1] + hi[1]) / 2;
    const Vec3 centre = sum * (1.0 / static_cast<double>(n));
    const double along = host::mesh::Dot(centre, cam.forward);
    cam.eye_m = cam.right * cx + cam.up * cy + cam.forward * (along - 100.0);
    cam.half_height_m = 0.55 * std::max({hi[1] - lo[1], (hi[0] - lo[0]) / aspect, 1e-3});
    return cam;
}

Camera PilotCamera() {
    const auto& e = layout::kEyePoint_m;
    Camera cam = Camera::Looking({e[0], e[1], e[2]}, {0, -0.12, 1}, {0, 1, 0});
    cam.perspective = true;
    cam.fov_deg = 55;
    return cam;
}

}  // namespace

std::optional<View> ViewNamed(const std::string& name) {
    for (const auto& v : kViews)
        if (name == v.name) return v.view;
    return std::nullopt;
}

const char* ViewName(View v) {
    for (const auto& n : kViews)
        if (n.view == v) return n.name;
    return "?";
}

std::optional<MeshChoice> MeshNamed(const std::string& name) {
    if (name == "exterior") return MeshChoice::exterior;
    if (name == "cockpit") return MeshChoice::cockpit;
    if (name == "cockpit-lit") return MeshChoice::cockpit_lit;
    return std::nullopt;
}

Image RenderView(VesselScene& scene, const RenderRequest& request, const std::function<void(double)>& on_progress) {
    scene.SetLights(request.mesh == MeshChoice::cockpit_lit);
    scene.ResetStates();
    for (const auto& [anim, state] : request.states) scene.SetState(anim, state);
    const unsigned index = request.mesh == MeshChoice::exterior ? layout::kExteriorMesh : layout::kCockpitMesh;
    const host::mesh::Mesh posed = scene.PosedMesh(index);
    const Vec3 offset = scene.MeshOffset(index);
    const double aspect = static_cast<double>(request.width_px) / request.height_px;
    const Camera cam = request.view == View::pilot ? PilotCamera()
                                                   : Framed(scene.StoredMesh(index), offset, request.view, aspect);
    return Render({{&posed, offset}}, cam, request.width_px, request.height_px, request.draw, on_progress);
}

}  // namespace vantorel_sim
