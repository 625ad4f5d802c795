#include "render/raster.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace vantorel_sim {

using host::mesh::Cross;
using host::mesh::Dot;
using host::mesh::Normalised;

Camera Camera::Looking(Vec3 eye_m, Vec3 forward, Vec3 up_hint) {
    Camera c;
    c.eye_m = eye_m;
    c.forward = Normalised(forward);
    // x right, y up, z forward: right = up x forward.
    c.right = Normalised(Cross(up_hint, c.forward));
    c.up = Cross(c.forward, c.right);
    return c;
}

namespace {

constexpr int kSupersample = 2;
constexpr double kNear_m = 0.05;

struct ScreenVertex {
    double x, y;   // pixels
    double depth;  // smaller is nearer; linear across the screen
    double z_m;    // distance along the view
    Vec3 normal;
};

struct Target {
    Image colour;
    std::vector<double> depth;
    std::vector<int> part;  // which group drew the pixel (-1: none), for outlines
    int width, height;
};

ScreenVertex Project(const Camera& cam, Vec3 p, int w, int h) {
    const Vec3 d = p - cam.eye_m;
    const double xc = Dot(d, cam.right), yc = Dot(d, cam.up), zc = Dot(d, cam.forward);
    double scale;  // pixels per metre at this depth
    if (cam.perspective)
        scale = zc > kNear_m ? h / (2.0 * zc * std::tan(cam.fov_deg * M_PI / 360.0)) : 0.0;
    else
        scale = h / (2.0 * cam.half_height_m);
    return {w / 2.0 + xc * scale, h / 2.0 - yc * scale, cam.perspective ? -1.0 / std::max(zc, kNear_m) : zc, zc, {}};
}

struct Shade {
    Vec3 diffuse, ambient, emissive;
    double alpha = 1;  // below 1: glass, blended over what lies behind it
};

constexpr double kOpaque = 0.99;

Shade ShadeOf(const host::mesh::Mesh& mesh, const host::mesh::Group& g) {
    const host::mesh::Material* m = mesh.material_of(g);
    if (m == nullptr) return {{0.75, 0.75, 0.75}, {0.75, 0.75, 0.75}, {0, 0, 0}, 1};
    return {{m->diffuse[0], m->diffuse[1], m->diffuse[2]},
            {m->ambient[0], m->ambient[1], m->ambient[2]},
            {m->emissive[0], m->emissive[1], m->emissive[2]},
            std::clamp(static_cast<double>(m->diffuse[3]), 0.0, 1.0)};
}

Rgb8 Colour(const Shade& s, Vec3 normal, Vec3 light, Vec3 view) {
    Vec3 n = Normalised(normal);
    if (Dot(n, view) > 0) n = n * -1.0;  // both sides lit: surfaces may be single sheets
    const double lambert = std::max(0.0, -Dot(n, light));
    Rgb8 out{};
    const double c[3] = {s.emissive.x + 0.25 * s.ambient.x + 0.8 * lambert * s.diffuse.x,
                         s.emissive.y + 0.25 * s.ambient.y + 0.8 * lambert * s.diffuse.y,
                         s.emissive.z + 0.25 * s.ambient.z + 0.8 * lambert * s.diffuse.z};
    for (int i = 0; i < 3; ++i) out[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::clamp(c[i], 0.0, 1.0)));
    return out;
}

void FillTriangle(Target& t, const ScreenVertex (&v)[3], const Shade& shade, Vec3 face_normal, bool smooth,
                  const Camera& cam, Vec3 light, int part) {
    const double area = (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
    if (std::fabs(area) < 1e-12) return;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({v[0].x, v[1].x, v[2].x}))));
    const int x1 = std::min(t.width - 1, static_cast<int>(std::ceil(std::max({v[0].x, v[1].x, v[2].x}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({v[0].y, v[1].y, v[2].y}))));
    const int y1 = std::min(t.height - 1, static_cast<int>(std::ceil(std::max({v[0].y, v[1].y, v[2].y}))));
    const Rgb8 flat = Colour(shade, face_normal, light, cam.forward);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            double w[3];
            for (int i = 0; i < 3; ++i) {
                const ScreenVertex& a = v[(i + 1) % 3];
                const ScreenVertex& b = v[(i + 2) % 3];
                w[i] = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / area;
            }
            if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;
            const double depth = w[0] * v[0].depth + w[1] * v[1].depth + w[2] * v[2].depth;
            const std::size_t k = static_cast<std::size_t>(y) * t.width + x;
            if (depth >= t.depth[k]) continue;
            const Rgb8 c = smooth ? Colour(shade, v[0].normal * w[0] + v[1].normal * w[1] + v[2].normal * w[2],
                                           light, cam.forward)
                                  : flat;
            if (shade.alpha < kOpaque) {  // glass: seen through, hides nothing
                Rgb8& under = t.colour.pixels[k];
                for (int i = 0; i < 3; ++i)
                    under[i] = static_cast<std::uint8_t>(std::lround(shade.alpha * c[i] + (1 - shade.alpha) * under[i]));
                continue;
            }
            t.depth[k] = depth;
            if (!t.part.empty()) t.part[k] = part;
            t.colour.pixels[k] = c;
        }
    }
}

// One pass draws the opaque groups, the other the glass over them.
void DrawMesh(Target& t, const PlacedMesh& pm, const Camera& cam, Vec3 light, bool smooth, bool glass, int& part,
              const std::function<void(std::size_t)>& on_group) {
    for (const host::mesh::Group& g : pm.mesh->groups) {
        ++part;
        if (on_group) on_group(g.triangles.size());
        const Shade shade = ShadeOf(*pm.mesh, g);
        if ((shade.alpha < kOpaque) != glass) continue;
        for (const auto& tri : g.triangles) {
            ScreenVertex sv[3];
            Vec3 p[3];
            bool behind = false;
            for (int i = 0; i < 3; ++i) {
                const host::mesh::Vertex& vert = g.vertices[tri[static_cast<std::size_t>(i)]];
                p[i] = vert.pos_m + pm.offset_m;
                sv[i] = Project(cam, p[i], t.width, t.height);
                behind = behind || (cam.perspective && sv[i].z_m <= kNear_m);
            }
            if (behind) continue;
            // Outward for clockwise vertices seen from outside (left-handed frame).
            const Vec3 face = Cross(p[1] - p[0], p[2] - p[0]);
            for (int i = 0; i < 3; ++i) {
                const Vec3 n = g.vertices[tri[static_cast<std::size_t>(i)]].normal;
                sv[i].normal = host::mesh::Length(n) > 0 ? n : face;
            }
            FillTriangle(t, sv, shade, face, smooth, cam, light, part);
        }
    }
}

void DrawOutlines(Target& t) {
    std::vector<unsigned char> edge(t.part.size(), 0);
    for (int y = 0; y < t.height; ++y) {
        for (int x = 0; x < t.width; ++x) {
            const std::size_t k = static_cast<std::size_t>(y) * t.width + x;
            const bool right = x + 1 < t.width && t.part[k + 1] != t.part[k];
            const bool down = y + 1 < t.height && t.part[k + static_cast<std::size_t>(t.width)] != t.part[k];
            if (right || down) edge[k] = 1;
        }
    }
    for (std::size_t k = 0; k < edge.size(); ++k)
        if (edge[k]) t.colour.pixels[k] = Rgb8{40, 44, 52};
}

}  // namespace

Image Render(const std::vector<PlacedMesh>& meshes, const Camera& camera, int width, int height,
             const DrawOptions& options, const std::function<void(double)>& on_progress) {
    const int w = width * kSupersample, h = height * kSupersample;
    const std::size_t pixels = static_cast<std::size_t>(w) * h;
    Target t{Image(w, h, options.background), std::vector<double>(pixels, std::numeric_limits<double>::infinity()),
             std::vector<int>(options.outline ? pixels : 0, -1), w, h};
    // From over the viewer's left shoulder.
    const Vec3 light = Normalised(camera.forward * 0.8 + camera.right * 0.45 - camera.up * 0.6);
    std::size_t total = 0, drawn = 0;  // triangles, both passes
    for (const PlacedMesh& pm : meshes)
        for (const auto& g : pm.mesh->groups) total += 2 * g.triangles.size();
    const auto on_group = [&](std::size_t triangles) {
        if (on_progress) on_progress(static_cast<double>(drawn) / static_cast<double>(std::max<std::size_t>(total, 1)));
        drawn += triangles;
    };
    for (const bool glass : {false, true}) {
        int part = -1;
        for (const PlacedMesh& pm : meshes) DrawMesh(t, pm, camera, light, options.smooth, glass, part, on_group);
    }
    if (options.outline) DrawOutlines(t);
    return Downsample(t.colour, kSupersample);
}

}  // namespace vantorel_sim
