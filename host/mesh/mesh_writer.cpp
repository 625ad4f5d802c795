#include <ostream>

#include "mesh/mesh_file.h"

namespace host::mesh {

namespace {

void PutColour(std::ostream& out, const Rgba& c) { out << c[0] << ' ' << c[1] << ' ' << c[2] << ' ' << c[3]; }

}  // namespace

void WriteMesh(const Mesh& mesh, std::ostream& out) {
    const auto precision = out.precision(9);
    out << "MSHX1\nGROUPS " << mesh.groups.size() << '\n';
    for (const Group& g : mesh.groups) {
        if (!g.label.empty()) out << "LABEL " << g.label << '\n';
        if (g.material != 0) out << "MATERIAL " << g.material << '\n';
        if (g.texture != 0) out << "TEXTURE " << g.texture << '\n';
        if (g.flag != 0) out << "FLAG " << g.flag << '\n';
        if (g.no_normal) out << "NONORMAL\n";
        out << "GEOM " << g.vertices.size() << ' ' << g.triangles.size() << '\n';
        for (const Vertex& v : g.vertices) {
            out << v.pos_m.x << ' ' << v.pos_m.y << ' ' << v.pos_m.z;
            if (!g.no_normal) out << ' ' << v.normal.x << ' ' << v.normal.y << ' ' << v.normal.z;
            if (v.u != 0 || v.v != 0) out << ' ' << v.u << ' ' << v.v;
            out << '\n';
        }
        for (const auto& t : g.triangles) out << t[0] << ' ' << t[1] << ' ' << t[2] << '\n';
    }
    out << "MATERIALS " << mesh.materials.size() << '\n';
    for (const Material& m : mesh.materials) out << m.name << '\n';
    for (const Material& m : mesh.materials) {
        out << "MATERIAL " << m.name << '\n';
        PutColour(out, m.diffuse);
        out << '\n';
        PutColour(out, m.ambient);
        out << '\n';
        PutColour(out, m.specular);
        out << ' ' << m.specular_power << '\n';
        PutColour(out, m.emissive);
        out << '\n';
    }
    out << "TEXTURES " << mesh.textures.size() << '\n';
    for (const std::string& t : mesh.textures) out << t << '\n';
    out.precision(precision);
}

}  // namespace host::mesh
