// Draws posed meshes into an image: depth-buffered triangles, flat or smooth
// shading from one light, material colours with their emissive part lit
// regardless of the light, glass (diffuse alpha below 1) blended over what
// lies behind it, and optional outlines where groups meet.
#ifndef VANTOREL_SIM_RENDER_RASTER_H
#define VANTOREL_SIM_RENDER_RASTER_H

#include <functional>
#include <vector>

#include "mesh/mesh_file.h"
#include "render/image.h"
#include "mesh/affine.h"

namespace vantorel_sim {

using host::mesh::Vec3;

struct Camera {
    Vec3 eye_m;
    Vec3 forward{0, 0, 1}, up{0, 1, 0}, right{1, 0, 0};  // orthonormal
    bool perspective = false;
    double fov_deg = 60;           // vertical field of view (perspective)
    double half_height_m = 5;      // half the picture's height (orthographic)

    // A camera at `eye_m` looking along `forward`, `up_hint` giving the picture's up.
    static Camera Looking(Vec3 eye_m, Vec3 forward, Vec3 up_hint);
};

// A mesh drawn with its offset from the vessel's origin.
struct PlacedMesh {
    const host::mesh::Mesh* mesh;
    Vec3 offset_m;
};

struct DrawOptions {
    bool smooth = true;
    bool outline = false;
    Rgb8 background{236, 240, 244};
};

// on_progress(fraction drawn) as it goes, group by group.
Image Render(const std::vector<PlacedMesh>& meshes, const Camera& camera, int width, int height,
             const DrawOptions& options, const std::function<void(double)>& on_progress = {});

}  // namespace vantorel_sim

#endif
