// The standard views of the vessel and what to draw in them.
#ifndef VANTOREL_SIM_RENDER_VIEWS_H
#define VANTOREL_SIM_RENDER_VIEWS_H

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "render/raster.h"
#include "render/vessel_scene.h"

namespace vantorel_sim {

enum class View { front, side, top, three_quarter, underside, pilot };
enum class MeshChoice { exterior, cockpit, cockpit_lit };

std::optional<View> ViewNamed(const std::string& name);        // "front", ..., "three-quarter", "pilot"
std::optional<MeshChoice> MeshNamed(const std::string& name);  // "exterior", "cockpit", "cockpit-lit"
const char* ViewName(View v);

struct RenderRequest {
    View view = View::three_quarter;
    MeshChoice mesh = MeshChoice::exterior;
    std::vector<std::pair<unsigned, double>> states;  // animation index, state
    int width_px = 800, height_px = 600;
    DrawOptions draw;
};

// Sets the scene to the request (lights, states over the initial ones),
// poses the mesh and draws it. Exterior views are orthographic and framed on
// the mesh as stored, so pictures of one view share a scale; the pilot view
// looks forward from the eye point with the mesh at the vessel's offset.
Image RenderView(VesselScene& scene, const RenderRequest& request, const std::function<void(double)>& on_progress = {});

}  // namespace vantorel_sim

#endif
