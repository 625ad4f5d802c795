#include "mesh/mesh_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string_view>

namespace host::mesh {

namespace {

// A line of the format is short; a longer one means this is not a mesh file.
constexpr std::size_t kMaxLineBytes = std::size_t{64} << 10;
// The fewest bytes each counted item takes in the file, so a count can be
// checked against the bytes left before anything is allocated for it.
constexpr std::uint64_t kVertexBytes = 6;     // "0 0 0\n"
constexpr std::uint64_t kTriangleBytes = 6;   // "0 1 2\n"
constexpr std::uint64_t kGroupBytes = 9;      // "GEOM 0 0\n"
constexpr std::uint64_t kMaterialBytes = 45;  // a name, MATERIAL and four colour lines
constexpr std::uint64_t kTextureBytes = 2;    // "t\n"

// Meaningful lines one at a time: comments after ';' and blank lines dropped,
// each line split into words (views into the line, which is reused: a big
// mesh is millions of lines), with its number kept for messages.
class Lines {
public:
    Lines(std::istream& in, const std::string& name) : in_(in), name_(name) {
        // The size, when the stream has one, bounds every count.
        const std::istream::pos_type start = in_.tellg();
        if (start != std::istream::pos_type(-1) && in_.seekg(0, std::ios::end)) {
            size_ = static_cast<std::uint64_t>(in_.tellg() - start);
            in_.seekg(start);
        }
        in_.clear();
    }

    // The next meaningful line, or false at the end of the file.
    bool Next() {
        while (ReadLine(text_)) {
            ++number_;
            if (const auto semi = text_.find(';'); semi != std::string::npos) text_.erase(semi);
            Split();
            if (!words_.empty()) return true;
        }
        if (in_.bad()) Fail("read error");
        words_.clear();
        return false;
    }
    // The next line, which must exist; `what` says what is expected there.
    void Need(const char* what) {
        if (!Next()) Fail(std::string("unexpected end of file, expected ") + what);
    }
    // Refuses a count of items that cannot all be in the rest of the file.
    void Fits(unsigned count, std::uint64_t item_bytes, const char* items) const {
        const std::uint64_t left = size_ - std::min(size_, consumed_);
        if (count > left / item_bytes) {
            Fail(std::to_string(count) + " " + items + " cannot fit in the rest of the file (" + std::to_string(left) +
                 " bytes)");
        }
    }

    std::string_view word(std::size_t i) const { return words_[i]; }
    std::size_t size() const { return words_.size(); }
    // The line's text after its first word, as written (for labels and names).
    std::string Rest() const {
        if (words_.size() < 2) return {};
        std::string_view rest(words_[1].data(), static_cast<std::size_t>(text_.data() + text_.size() - words_[1].data()));
        while (!rest.empty() && IsSpace(rest.back())) rest.remove_suffix(1);
        return std::string(rest);
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw MeshError(name_ + ":" + std::to_string(number_) + ": " + what);
    }

    double Number(std::size_t i, const char* what) const {
        const std::string_view w = words_.at(i);
        double v = 0;
        const auto r = std::from_chars(w.data(), w.data() + w.size(), v);
        if (r.ec != std::errc() || r.ptr != w.data() + w.size() || !std::isfinite(v))
            Fail(std::string("expected ") + what + ", got '" + std::string(w) + "'");
        return v;
    }
    unsigned Count(std::size_t i, const char* what) const {
        const std::string_view w = words_.at(i);
        unsigned long v = 0;
        int base = 10;
        std::string_view digits(w);
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
            base = 16;
        }
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
        if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() ||
            v > std::numeric_limits<unsigned>::max())
            Fail(std::string("expected ") + what + " (a whole number), got '" + std::string(w) + "'");
        return static_cast<unsigned>(v);
    }
    void Expect(std::size_t n_min, std::size_t n_max, const char* what) const {
        if (size() < n_min || size() > n_max) Fail(std::string("expected ") + what);
    }

private:
    // One line without its end; false at the end of the input.
    bool ReadLine(std::string& text) {
        text.clear();
        std::streambuf* buf = in_.rdbuf();
        bool any = false;
        for (;;) {
            const int c = buf->sbumpc();
            if (c == std::char_traits<char>::eof()) return any;
            any = true;
            ++consumed_;
            if (c == '\n') return true;
            if (c == '\0') {
                throw MeshError(name_ + ":" + std::to_string(number_ + 1) + ":" + std::to_string(text.size() + 1) +
                                ": a NUL byte; is this a mesh file?");
            }
            if (text.size() == kMaxLineBytes) {
                throw MeshError(name_ + ":" + std::to_string(number_ + 1) + ": the line is longer than " +
                                std::to_string(kMaxLineBytes >> 10) + " KiB; is this a mesh file?");
            }
            text.push_back(static_cast<char>(c));
        }
    }

    // As isspace in the C locale, without the call.
    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    void Split() {
        words_.clear();
        const char* p = text_.data();
        const char* end = p + text_.size();
        while (p < end) {
            while (p < end && IsSpace(*p)) ++p;
            if (p >= end) break;
            const char* q = p;
            while (q < end && !IsSpace(*q)) ++q;
            words_.emplace_back(p, static_cast<std::size_t>(q - p));
            p = q;
        }
    }

    std::istream& in_;
    const std::string& name_;
    std::uint64_t size_ = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t consumed_ = 0;
    int number_ = 0;
    std::string text_;
    std::vector<std::string_view> words_;
};

// A keyword line "KEY n"; returns n.
unsigned KeyCount(Lines& lines, const char* key) {
    lines.Need(key);
    if (lines.word(0) != key || lines.size() != 2) lines.Fail(std::string("expected '") + key + " n'");
    return lines.Count(1, key);
}

void ReadGeometry(Lines& lines, Group& g) {
    const unsigned nv = lines.Count(1, "a vertex count"), nt = lines.Count(2, "a triangle count");
    lines.Fits(nv, kVertexBytes, "vertices");
    lines.Fits(nt, kTriangleBytes, "triangles");
    const std::size_t fields = g.no_normal ? 3 : 6;
    const char* vertex_line = g.no_normal ? "a vertex line 'x y z [u v]'" : "a vertex line 'x y z nx ny nz [u v]'";
    g.vertices.reserve(nv);
    for (unsigned i = 0; i < nv; ++i) {
        lines.Need(vertex_line);
        lines.Expect(fields, fields + 2, vertex_line);
        if (lines.size() == fields + 1) lines.Fail(std::string("expected ") + vertex_line + ": u without v");
        Vertex v;
        v.pos_m = {lines.Number(0, "x"), lines.Number(1, "y"), lines.Number(2, "z")};
        if (!g.no_normal) v.normal = {lines.Number(3, "nx"), lines.Number(4, "ny"), lines.Number(5, "nz")};
        if (lines.size() == fields + 2) {
            v.u = lines.Number(fields, "u");
            v.v = lines.Number(fields + 1, "v");
        }
        g.vertices.push_back(v);
    }
    g.triangles.reserve(nt);
    for (unsigned i = 0; i < nt; ++i) {
        lines.Need("a triangle line 'i j k'");
        lines.Expect(3, 3, "a triangle line 'i j k'");
        std::array<unsigned, 3> t{};
        for (std::size_t k = 0; k < 3; ++k) {
            t[k] = lines.Count(k, "a vertex index");
            if (t[k] >= nv)
                lines.Fail("vertex index " + std::to_string(t[k]) + " out of range: the group has " +
                           std::to_string(nv) + " vertices");
        }
        g.triangles.push_back(t);
    }
}

Group ReadGroup(Lines& lines) {
    Group g;
    for (;;) {
        lines.Need("a group header line or GEOM");
        const std::string_view key = lines.word(0);
        if (key == "GEOM") {
            lines.Expect(3, 3, "'GEOM nv nt'");
            ReadGeometry(lines, g);
            return g;
        }
        if (key == "LABEL") {
            g.label = lines.Rest();
        } else if (key == "MATERIAL" && lines.size() == 2) {
            g.material = lines.Count(1, "a material index");
        } else if (key == "TEXTURE" && lines.size() == 2) {
            g.texture = lines.Count(1, "a texture index");
        } else if (key == "FLAG" && lines.size() == 2) {
            g.flag = lines.Count(1, "a flag value");
        } else if (key == "NONORMAL" && lines.size() == 1) {
            g.no_normal = true;
        } else {
            lines.Fail("expected LABEL, MATERIAL m, TEXTURE t, FLAG f, NONORMAL or GEOM nv nt, got '" + std::string(key) + "'");
        }
    }
}

Rgba ReadColour(Lines& lines, const char* what, double* power) {
    lines.Need(what);
    lines.Expect(4, power != nullptr ? 5 : 4, what);
    Rgba c{};
    for (std::size_t i = 0; i < 4; ++i) c[i] = lines.Number(i, what);
    if (power != nullptr) *power = lines.size() == 5 ? lines.Number(4, "a specular power") : 0.0;
    return c;
}

void ReadMaterials(Lines& lines, Mesh& mesh) {
    const unsigned k = KeyCount(lines, "MATERIALS");
    lines.Fits(k, kMaterialBytes, "materials");
    mesh.materials.resize(k);
    for (auto& m : mesh.materials) {
        lines.Need("a material name");
        m.name = lines.size() == 1 ? std::string(lines.word(0)) : std::string(lines.word(0)) + " " + lines.Rest();
    }
    for (auto& m : mesh.materials) {
        lines.Need("'MATERIAL name'");
        if (lines.word(0) != "MATERIAL" || lines.size() < 2) lines.Fail("expected 'MATERIAL " + m.name + "'");
        if (lines.Rest() != m.name)
            lines.Fail("expected 'MATERIAL " + m.name + "' (materials in the order of their names), got '" +
                       lines.Rest() + "'");
        m.diffuse = ReadColour(lines, "a diffuse colour 'r g b a'", nullptr);
        m.ambient = ReadColour(lines, "an ambient colour 'r g b a'", nullptr);
        m.specular = ReadColour(lines, "a specular colour 'r g b a [power]'", &m.specular_power);
        m.emissive = ReadColour(lines, "an emissive colour 'r g b a'", nullptr);
    }
}

void CheckReferences(const Mesh& mesh, const std::string& name) {
    for (std::size_t i = 0; i < mesh.groups.size(); ++i) {
        const Group& g = mesh.groups[i];
        if (g.material > mesh.materials.size())
            throw MeshError(name + ": group " + std::to_string(i) + " uses material " + std::to_string(g.material) +
                            " of " + std::to_string(mesh.materials.size()));
        if (g.texture > mesh.textures.size())
            throw MeshError(name + ": group " + std::to_string(i) + " uses texture " + std::to_string(g.texture) +
                            " of " + std::to_string(mesh.textures.size()));
    }
}

}  // namespace

Mesh ParseMesh(std::istream& in, const std::string& name) {
    Lines lines(in, name);
    lines.Need("MSHX1");
    if (lines.size() != 1 || lines.word(0) != "MSHX1") lines.Fail("expected 'MSHX1' as the first line");
    Mesh mesh;
    const unsigned n = KeyCount(lines, "GROUPS");
    lines.Fits(n, kGroupBytes, "groups");
    mesh.groups.reserve(n);
    for (unsigned i = 0; i < n; ++i) mesh.groups.push_back(ReadGroup(lines));
    ReadMaterials(lines, mesh);
    const unsigned t = KeyCount(lines, "TEXTURES");
    lines.Fits(t, kTextureBytes, "textures");
    for (unsigned i = 0; i < t; ++i) {
        lines.Need("a texture file name");
        mesh.textures.emplace_back(lines.word(0));
    }
    if (lines.Next()) lines.Fail("expected the end of the file after the texture list, got '" + std::string(lines.word(0)) + "'");
    CheckReferences(mesh, name);
    return mesh;
}

Mesh ReadMeshFile(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status)) throw MeshError(path + ": a folder, not a mesh file");
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        throw MeshError(path + ": not a regular file (a device, pipe or socket)");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw MeshError(path + ": cannot read: " + std::strerror(errno));
    return ParseMesh(in, path);
}

}  // namespace host::mesh
