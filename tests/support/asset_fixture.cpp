#include "asset_fixture.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>

#include "vantorel/vessel_layout.h"
#include "render/vessel_scene.h"
#include "scratch_dir.h"

namespace fixture {

namespace fs = std::filesystem;
namespace layout = vantorel::layout;
using host::mesh::Cross;
using host::mesh::Dot;
using host::mesh::Normalised;

namespace {

constexpr unsigned kExteriorGroups = 420;
constexpr unsigned kCockpitGroups = 332;

Vec3 Perpendicular(Vec3 axis) {
    Vec3 p = Cross(axis, {0, 1, 0});
    if (host::mesh::Length(p) < 1e-6) p = Cross(axis, {1, 0, 0});
    return Normalised(p);
}

bool IsDrum(const Part& p) { return p.anim_name.find("_drum") != std::string::npos; }
bool IsPointer(const Part& p) {
    const std::string& n = p.anim_name;
    return (n.size() > 7 && n.compare(n.size() - 7, 7, "_needle") == 0) || n.rfind("clock_", 0) == 0 ||
           n == "heading_card";
}
bool IsWheel(const Part& p) { return p.anim_name == "wheel_roll"; }

Vec3 Eye() {
    const auto& e = layout::kEyePoint_m;
    return Vec3{e[0], e[1], e[2]} - Facts().cockpit_offset;
}

void AddWheel(Mesh& m, const Part& spin, unsigned g) {
    // The leg carrying this wheel tells which touchdown point is its own.
    const Part* leg = nullptr;
    for (const Part& p : Facts().parts)
        if (p.anim_name == "gear" && std::count(p.groups.begin(), p.groups.end(), g)) leg = &p;
    Vec3 td = Facts().touchdown[0];
    for (const Vec3& t : Facts().touchdown)
        if (leg && std::hypot(t.x - leg->ref.x, t.z - leg->ref.z) < std::hypot(td.x - leg->ref.x, td.z - leg->ref.z))
            td = t;
    const Vec3 centre{td.x, spin.ref.y, spin.ref.z};
    const double r = spin.ref.y - td.y;
    auto& grp = m.groups[g];
    const std::size_t base = grp.vertices.size();
    grp.vertices.push_back({centre, {1, 0, 0}, 0, 0});
    constexpr int kSides = 16;
    for (int k = 0; k < kSides; ++k) {
        const double phi = -M_PI / 2 + 2 * M_PI * k / kSides;
        grp.vertices.push_back({centre + Vec3{0, r * std::sin(phi), r * std::cos(phi)}, {1, 0, 0}, 0, 0});
    }
    for (int k = 0; k < kSides; ++k)
        grp.triangles.push_back({static_cast<unsigned>(base), static_cast<unsigned>(base + 1 + k),
                                 static_cast<unsigned>(base + 1 + (k + 1) % kSides)});
}

void AddDrum(Mesh& m, const Part& drum) {
    const Vec3 w = Eye() - drum.ref;
    const Vec3 towards_eye = Normalised(w - drum.axis * Dot(w, drum.axis));
    for (std::size_t k = 0; k < drum.groups.size(); ++k) {
        const double turn = drum.angle_rad * (0.1 * static_cast<double>(k));
        const Vec3 n = host::mesh::RotationAbout({}, drum.axis, -turn).Linear(towards_eye);
        AddSquare(m.groups[drum.groups[k]], drum.ref + n * 0.015, n, 0.005);
    }
}

void AddBlade(Mesh& m, const Part& p, unsigned g, double length_m) {
    const Vec3 out = Perpendicular(p.axis);
    const Vec3 a = p.ref - p.axis * 0.01, b = p.ref + p.axis * 0.01, c = p.ref + out * length_m;
    AddTriangle(m.groups[g], a, b, c, Normalised(Cross(b - a, c - a)));
}

void AddNeedle(Mesh& m, const Part& p, unsigned g) {
    const Vec3 out = Perpendicular(p.axis), side = Normalised(Cross(p.axis, out));
    const Vec3 base = p.ref + p.axis * -0.003;  // in front of the dial, towards the eye
    AddTriangle(m.groups[g], base - side * 0.004 - out * 0.004, base + side * 0.004 - out * 0.004, base + out * 0.05,
                p.axis * -1.0);
}

// Gives every group a part's shape: wheels, drums and pointers theirs only,
// other rotations a blade through their axis per component.
void ShapeMovingGroups(Assets& a) {
    std::set<std::pair<unsigned, unsigned>> special;
    for (const Part& p : Facts().parts)
        if (IsWheel(p) || IsDrum(p) || (IsPointer(p) && p.rotation))
            for (unsigned g : p.groups) special.insert({p.mesh, g});
    for (const Part& p : Facts().parts) {
        Mesh& m = p.mesh == layout::kExteriorMesh ? a.exterior : a.cockpit;
        if (IsDrum(p)) {
            AddDrum(m, p);
            continue;
        }
        for (unsigned g : p.groups) {
            if (IsWheel(p)) AddWheel(m, p, g);
            else if (IsPointer(p) && p.rotation) AddNeedle(m, p, g);
            else if (special.count({p.mesh, g})) continue;
            else if (p.rotation) AddBlade(m, p, g, p.mesh == layout::kExteriorMesh ? 0.3 : 0.1);
            else AddSquare(m.groups[g], Vec3{2.0 + 0.05 * g, 2.0, 2.0}, {0, 0, -1}, 0.01);
        }
    }
}

unsigned FirstStatic(const Mesh& m, unsigned mesh_index, unsigned from) {
    std::set<unsigned> named;
    for (const Part& p : Facts().parts)
        if (p.mesh == mesh_index) named.insert(p.groups.begin(), p.groups.end());
    for (unsigned g = from; g < m.groups.size(); ++g)
        if (!named.count(g) && m.groups[g].triangles.empty()) return g;
    throw std::logic_error("no static group left");
}

void ShapeStaticGroups(Assets& a) {
    a.belly_group = FirstStatic(a.exterior, layout::kExteriorMesh, 0);
    AddSquare(a.exterior.groups[a.belly_group], {0, -1.7, 0.5}, {0, -1, 0}, 8.0);
    a.spare_group = FirstStatic(a.exterior, layout::kExteriorMesh, a.belly_group + 1);
    const unsigned displays[] = {layout::kLeftDisplayGroup, layout::kRightDisplayGroup, layout::kThirdDisplayGroup,
                                 layout::kHudGroup};
    for (int i = 0; i < 4; ++i)
        AddSquare(a.cockpit.groups[displays[i]], {-0.3 + 0.2 * i, 0.6, 0.05}, {0, 0, -1}, 0.05);
    a.dial_group = FirstStatic(a.cockpit, layout::kCockpitMesh, 0);
    for (const Part& p : Facts().parts)
        if (p.mesh == layout::kCockpitMesh && IsPointer(p) && p.rotation)
            AddSquare(a.cockpit.groups[a.dial_group], p.ref, p.axis * -1.0, 0.02);
    // Everything else: far above the vessel, out of every part's way.
    for (Mesh* m : {&a.exterior, &a.cockpit})
        for (unsigned g = 0; g < m->groups.size(); ++g)
            if (m->groups[g].triangles.empty()) AddSquare(m->groups[g], {0.05 * g, 50, 0}, {0, 1, 0}, 0.01);
}

Mesh Blank(unsigned groups, const char* material) {
    Mesh m;
    m.groups.resize(groups);
    for (unsigned g = 0; g < groups; ++g) {
        m.groups[g].label = "part" + std::to_string(g);
        m.groups[g].material = 1;
    }
    host::mesh::Material mat;
    mat.name = material;
    mat.diffuse = {0.6, 0.62, 0.66, 1};
    m.materials.push_back(mat);
    return m;
}

std::vector<std::int16_t> Tone(double hz, double seconds, unsigned rate, double amplitude) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
    return s;
}

void Put32(std::ofstream& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put16(std::ofstream& out, unsigned v) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>((v >> 8) & 0xFF));
}

}  // namespace

const ModuleFacts& Facts() {
    static const ModuleFacts facts = [] {
        ModuleFacts f;
        vantorel_sim::VesselScene scene(vantorel_sim::SceneOptions{});
        vantorel_sim::check::CheckContext c(scene);
        f.parts = c.parts();
        for (int i = 0; i < 3; ++i) {
            const VECTOR3& t = scene.vessel().touchdown_m[i];
            f.touchdown[i] = {t.x, t.y, t.z};
        }
        f.cockpit_offset = scene.MeshOffset(layout::kCockpitMesh);
        return f;
    }();
    return facts;
}

const Part* PartNaming(unsigned mesh, unsigned group) {
    for (const Part& p : Facts().parts)
        if (p.mesh == mesh && std::count(p.groups.begin(), p.groups.end(), group)) return &p;
    return nullptr;
}

const Part& PartOf(const char* anim_name) {
    for (const Part& p : Facts().parts)
        if (p.anim_name == anim_name) return p;
    throw std::logic_error(std::string("no part of ") + anim_name);
}

void AddTriangle(host::mesh::Group& g, Vec3 a, Vec3 b, Vec3 c, Vec3 normal) {
    const unsigned base = static_cast<unsigned>(g.vertices.size());
    for (Vec3 p : {a, b, c}) g.vertices.push_back({p, normal, 0, 0});
    g.triangles.push_back({base, base + 1, base + 2});
}

void AddSquare(host::mesh::Group& g, Vec3 centre, Vec3 normal, double half) {
    normal = Normalised(normal);
    const Vec3 t1 = Perpendicular(normal), t2 = Cross(normal, t1);
    Vec3 q[4] = {centre - t1 * half - t2 * half, centre + t1 * half - t2 * half, centre + t1 * half + t2 * half,
                 centre - t1 * half + t2 * half};
    // Outward normal for clockwise vertices seen from outside.
    if (Dot(Cross(q[1] - q[0], q[2] - q[0]), normal) < 0) std::swap(q[1], q[3]);
    AddTriangle(g, q[0], q[1], q[2], normal);
    AddTriangle(g, q[0], q[2], q[3], normal);
}

Assets GoodAssets() {
    Assets a;
    a.exterior = Blank(kExteriorGroups, "skin");
    a.cockpit = Blank(kCockpitGroups, "panel");
    ShapeMovingGroups(a);
    ShapeStaticGroups(a);
    a.cockpit_lit = a.cockpit;
    a.cockpit_lit.materials[0].emissive = {0.3, 0.25, 0.1, 1};
    a.engine = Tone(110, 2.0, 22050, 12000);  // 220 whole cycles: loops cleanly
    a.gear = Tone(80, 1.0, 22050, 9000);
    a.flaps = Tone(150, 1.0, 22050, 9000);
    return a;
}

void WriteWave(const std::string& path, const std::vector<std::int16_t>& samples, unsigned rate_hz, unsigned channels,
               unsigned bits, unsigned format) {
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t data = static_cast<std::uint32_t>(samples.size() * bits / 8);
    out.write("RIFF", 4);
    Put32(out, 36 + data);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, format);
    Put16(out, channels);
    Put32(out, rate_hz);
    Put32(out, rate_hz * channels * bits / 8);
    Put16(out, channels * bits / 8);
    Put16(out, bits);
    out.write("data", 4);
    Put32(out, data);
    for (std::int16_t s : samples) {
        if (bits == 16) Put16(out, static_cast<std::uint16_t>(s));
        else out.put(static_cast<char>((s >> 8) + 128));
    }
}

std::string NewAssetFolder(const std::string& name) {
    // One scratch folder per test process, removed when the process ends.
    static const test_support::ScratchDir scratch("assets");
    const fs::path dir = scratch.path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void Write(const Assets& a, const std::string& dir) {
    fs::create_directories(fs::path(dir) / "Meshes" / "Ombrix");
    fs::create_directories(fs::path(dir) / "Sound" / "Vantorel");
    const std::pair<const Mesh*, const char*> meshes[] = {
        {&a.exterior, "Vantorel"}, {&a.cockpit, "Vantorel-Cpit"}, {&a.cockpit_lit, "Vantorel-Cpit_n"}};
    for (const auto& [mesh, name] : meshes) {
        std::ofstream out(fs::path(dir) / "Meshes" / "Ombrix" / (std::string(name) + ".msh"));
        host::mesh::WriteMesh(*mesh, out);
    }
    const fs::path sound = fs::path(dir) / "Sound" / "Vantorel";
    WriteWave((sound / "Vantorel-Eng.wav").string(), a.engine, a.engine_rate_hz);
    WriteWave((sound / "Vantorel-Gear.wav").string(), a.gear, 22050, 1, a.gear_bits);
    WriteWave((sound / "Vantorel-Flaps.wav").string(), a.flaps, 22050, a.flaps_channels);
}

}  // namespace fixture
