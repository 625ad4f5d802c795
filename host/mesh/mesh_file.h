// Meshes in the host's text format (MSHX1): groups of vertices and triangles,
// the materials they are coloured with and the texture names.
#ifndef VANTOREL_HOST_MESH_FILE_H
#define VANTOREL_HOST_MESH_FILE_H

#include <array>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "mesh/affine.h"

namespace host::mesh {

// A file that does not follow the format; the message names file, line and
// what was expected there.
class MeshError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Vertex {
    Vec3 pos_m;
    Vec3 normal;
    double u = 0, v = 0;
};

struct Group {
    std::string label;
    unsigned material = 0;  // 1-based into Mesh::materials; 0: the default
    unsigned texture = 0;   // 1-based into Mesh::textures; 0: none
    unsigned flag = 0;
    bool no_normal = false;
    std::vector<Vertex> vertices;
    std::vector<std::array<unsigned, 3>> triangles;  // 0-based within the group
};

using Rgba = std::array<double, 4>;

struct Material {
    std::string name;
    Rgba diffuse{1, 1, 1, 1};
    Rgba ambient{1, 1, 1, 1};
    Rgba specular{0, 0, 0, 1};
    double specular_power = 0;
    Rgba emissive{0, 0, 0, 1};
};

struct Mesh {
    std::vector<Group> groups;
    std::vector<Material> materials;
    std::vector<std::string> textures;

    // The group's material, or null for the default one.
    const Material* material_of(const Group& g) const {
        return g.material >= 1 && g.material <= materials.size() ? &materials[g.material - 1] : nullptr;
    }
};

// Reads a whole mesh; `name` is used in messages.
Mesh ParseMesh(std::istream& in, const std::string& name);
// Reads the file at `path`; a missing or unreadable file is a MeshError too.
Mesh ReadMeshFile(const std::string& path);
// Writes the mesh in the same format (every group with LABEL, MATERIAL and GEOM).
void WriteMesh(const Mesh& mesh, std::ostream& out);

}  // namespace host::mesh

#endif
