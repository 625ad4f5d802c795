// Small asset folders built by the tests: meshes whose groups suit the
// components the module registers (read from the module through the host,
// never from the table), and synthetic waves. A test breaks one thing in a
// good fixture and expects exactly that rule to catch it.
#ifndef VANTOREL_TESTS_RENDER_ASSET_FIXTURE_H
#define VANTOREL_TESTS_RENDER_ASSET_FIXTURE_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "check/asset_check.h"
#include "mesh/mesh_file.h"

namespace fixture {

using host::mesh::Mesh;
using host::mesh::Vec3;
using vantorel_sim::check::Part;

// What the module registered, read once from a vessel on the source assets.
struct ModuleFacts {
    std::vector<Part> parts;
    Vec3 touchdown[3];
    Vec3 cockpit_offset;
};
const ModuleFacts& Facts();

struct Assets {
    Mesh exterior, cockpit, cockpit_lit;
    std::vector<std::int16_t> engine, gear, flaps;
    unsigned engine_rate_hz = 22050;
    unsigned gear_bits = 16;
    unsigned flaps_channels = 1;
    unsigned belly_group = 0;  // the static plate under the gear
    unsigned dial_group = 0;   // the static faces under the needles
    unsigned spare_group = 0;  // a static exterior group far from everything
};

// Every rule passes on this.
Assets GoodAssets();

// Writes Meshes/Ombrix/*.msh and Sound/Vantorel/*.wav under `dir` (made afresh).
void Write(const Assets& a, const std::string& dir);
// A 16-bit PCM wave file with the given header fields.
void WriteWave(const std::string& path, const std::vector<std::int16_t>& samples, unsigned rate_hz,
               unsigned channels = 1, unsigned bits = 16, unsigned format = 1);

// A fresh folder in the test process's scratch folder.
std::string NewAssetFolder(const std::string& name);

// Shapes added to a group.
void AddTriangle(host::mesh::Group& g, Vec3 a, Vec3 b, Vec3 c, Vec3 normal);
// A square of half-size `half` centred at `centre`, its outward side facing `normal`.
void AddSquare(host::mesh::Group& g, Vec3 centre, Vec3 normal, double half);

// The first part naming `group` on `mesh`, or null.
const Part* PartNaming(unsigned mesh, unsigned group);
// The first part of the named animation.
const Part& PartOf(const char* anim_name);

}  // namespace fixture

#endif
