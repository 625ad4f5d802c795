// The mesh reader: what the format allows, and a message with file, line and
// expectation for what it does not.
#include <gtest/gtest.h>

#include <sstream>

#include "mesh/mesh_file.h"

namespace {

using host::mesh::MeshError;
using host::mesh::ParseMesh;

const char* kGood =
    "MSHX1 ; first line\n"
    "GROUPS 2\n"
    "LABEL left aileron\n"
    "MATERIAL 1\n"
    "FLAG 0x3\n"
    "GEOM 3 1\n"
    "0 0 0 0 1 0\n"
    "1 0 0 0 1 0 0.5 0.25\n"
    "\n"
    "0 0 1 0 1 0\n"
    "0 1 2\n"
    "NONORMAL\n"
    "TEXTURE 1\n"
    "GEOM 3 1\n"
    "0 0 0\n1 0 0\n0 1 0\n"
    "2 1 0\n"
    "MATERIALS 1\n"
    "paint\n"
    "MATERIAL paint\n"
    "0.5 0.6 0.7 1\n"
    "0.1 0.1 0.1 1\n"
    "0.2 0.2 0.2 1 20\n"
    "0 0 0.3 1\n"
    "TEXTURES 1\n"
    "panel.dds\n";

TEST(MeshFile, ReadsGroupsMaterialsAndTextures) {
    std::istringstream in(kGood);
    const auto m = ParseMesh(in, "good.msh");
    ASSERT_EQ(m.groups.size(), 2u);
    EXPECT_EQ(m.groups[0].label, "left aileron");
    EXPECT_EQ(m.groups[0].material, 1u);
    EXPECT_EQ(m.groups[0].flag, 3u);
    ASSERT_EQ(m.groups[0].vertices.size(), 3u);
    EXPECT_DOUBLE_EQ(m.groups[0].vertices[1].u, 0.5);
    EXPECT_DOUBLE_EQ(m.groups[0].vertices[1].v, 0.25);
    EXPECT_DOUBLE_EQ(m.groups[0].vertices[2].pos_m.z, 1.0);
    EXPECT_TRUE(m.groups[1].no_normal);
    EXPECT_EQ(m.groups[1].texture, 1u);
    EXPECT_EQ((m.groups[1].triangles[0]), (std::array<unsigned, 3>{2, 1, 0}));
    ASSERT_EQ(m.materials.size(), 1u);
    EXPECT_DOUBLE_EQ(m.materials[0].diffuse[2], 0.7);
    EXPECT_DOUBLE_EQ(m.materials[0].specular_power, 20);
    EXPECT_DOUBLE_EQ(m.materials[0].emissive[2], 0.3);
    EXPECT_EQ(m.material_of(m.groups[0]), &m.materials[0]);
    EXPECT_EQ(m.textures, std::vector<std::string>{"panel.dds"});
}

TEST(MeshFile, WrittenMeshReadsBackTheSame) {
    std::istringstream in(kGood);
    const auto m = ParseMesh(in, "good.msh");
    std::stringstream text;
    host::mesh::WriteMesh(m, text);
    const auto again = ParseMesh(text, "again.msh");
    ASSERT_EQ(again.groups.size(), m.groups.size());
    for (std::size_t g = 0; g < m.groups.size(); ++g) {
        EXPECT_EQ(again.groups[g].label, m.groups[g].label);
        EXPECT_EQ(again.groups[g].triangles, m.groups[g].triangles);
        for (std::size_t v = 0; v < m.groups[g].vertices.size(); ++v)
            EXPECT_DOUBLE_EQ(again.groups[g].vertices[v].pos_m.x, m.groups[g].vertices[v].pos_m.x);
    }
    EXPECT_EQ(again.materials[0].emissive, m.materials[0].emissive);
}

struct Bad {
    const char* name;
    std::string text;
    const char* message;
};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    s.replace(s.find(from), from.size(), to);
    return s;
}

const std::string kBase = kGood;

const Bad kBad[] = {
    {"empty", "", "bad.msh:0: unexpected end of file, expected MSHX1"},
    {"wrong_magic", Replace(kBase, "MSHX1", "MSHX2"), "bad.msh:1: expected 'MSHX1'"},
    {"groups_not_a_number", Replace(kBase, "GROUPS 2", "GROUPS two"), "bad.msh:2: expected GROUPS (a whole number), got 'two'"},
    {"unknown_header", Replace(kBase, "FLAG 0x3", "ZBIAS 1"), "bad.msh:5: expected LABEL, MATERIAL m, TEXTURE t"},
    {"short_vertex", Replace(kBase, "0 0 0 0 1 0\n", "0 0 0 0 1\n"), "bad.msh:7: expected a vertex line 'x y z nx ny nz [u v]'"},
    {"u_without_v", Replace(kBase, "0.5 0.25", "0.5"), "bad.msh:8: expected a vertex line 'x y z nx ny nz [u v]': u without v"},
    {"not_a_number", Replace(kBase, "0 0 1 0 1 0", "0 0 z 0 1 0"), "bad.msh:10: expected z, got 'z'"},
    {"infinite", Replace(kBase, "0 0 1 0 1 0", "0 0 inf 0 1 0"), "bad.msh:10: expected z, got 'inf'"},
    {"index_out_of_range", Replace(kBase, "0 1 2\n", "0 1 3\n"), "bad.msh:11: vertex index 3 out of range: the group has 3 vertices"},
    {"truncated", kBase.substr(0, kBase.find("0 1 2")), "unexpected end of file, expected a triangle line 'i j k'"},
    {"material_order", Replace(kBase, "MATERIAL paint", "MATERIAL glass"), "expected 'MATERIAL paint' (materials in the order of their names), got 'glass'"},
    {"colour_short", Replace(kBase, "0.5 0.6 0.7 1", "0.5 0.6 0.7"), "expected a diffuse colour 'r g b a'"},
    {"material_out_of_range", Replace(kBase, "MATERIAL 1\n", "MATERIAL 4\n"), "bad.msh: group 0 uses material 4 of 1"},
    {"trailing", kBase + "GROUPS 1\n", "expected the end of the file after the texture list, got 'GROUPS'"},
    // Counts are checked against the bytes left before anything is allocated.
    {"huge_count", Replace(kBase, "GEOM 3 1", "GEOM 4000000000 1"),
     "bad.msh:6: 4000000000 vertices cannot fit in the rest of the file ("},
    {"huge_triangle_count", Replace(kBase, "GEOM 3 1", "GEOM 3 70000"), "bad.msh:6: 70000 triangles cannot fit"},
    {"huge_group_count", Replace(kBase, "GROUPS 2", "GROUPS 4294967295"), "bad.msh:2: 4294967295 groups cannot fit"},
    {"huge_material_count", Replace(kBase, "MATERIALS 1", "MATERIALS 3000000000"),
     "bad.msh:19: 3000000000 materials cannot fit"},
    {"huge_texture_count", Replace(kBase, "TEXTURES 1", "TEXTURES 100"), "bad.msh:26: 100 textures cannot fit"},
    {"nul_byte", Replace(kBase, "left aileron", std::string("left\0aileron", 13)),
     "bad.msh:3:11: a NUL byte; is this a mesh file?"},
    {"no_line_end", "MSHX1\nGROUPS 1\n" + std::string(100000, '0'), "bad.msh:3: the line is longer than 64 KiB"},
};

void PrintTo(const Bad& b, std::ostream* os) { *os << b.name; }

class BadMesh : public testing::TestWithParam<Bad> {};

TEST_P(BadMesh, SaysWhereAndWhatWasExpected) {
    std::istringstream in(GetParam().text);
    try {
        ParseMesh(in, "bad.msh");
        FAIL() << "accepted";
    } catch (const MeshError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Each, BadMesh, testing::ValuesIn(kBad),
                         [](const testing::TestParamInfo<Bad>& i) { return std::string(i.param.name); });

TEST(MeshFile, MissingFileOrAnotherKindNamesThePathAndTheKind) {
    for (const auto& [path, says] : {std::pair{"no/such.msh", "no/such.msh: cannot read: No such file"},
                                    std::pair{".", ".: a folder, not a mesh file"},
                                    std::pair{"/dev/zero", "/dev/zero: not a regular file"}}) {
        try {
            host::mesh::ReadMeshFile(path);
            ADD_FAILURE() << path << " accepted";
        } catch (const MeshError& e) {
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        }
    }
}

}  // namespace
