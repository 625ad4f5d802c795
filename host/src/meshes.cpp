// Meshes by name: the folder they are looked up in, one handle per name
// (null while no file exists for it), and the name behind a handle.
#include <filesystem>

#include "src/runtime_impl.h"

namespace host {

namespace {

std::string MeshFile(const std::string& mesh_dir, std::string name) {
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    return mesh_dir + "/Meshes/" + name + ".msh";
}

}  // namespace

MESHHANDLE Runtime::Impl::load_mesh(const char* name) {
    std::size_t i = 0;
    while (i < meshes.size() && meshes[i].name != name) ++i;
    if (i == meshes.size()) meshes.push_back(detail::MeshEntry{name, false, false});
    detail::MeshEntry& m = meshes[i];
    if (!m.checked) {
        std::error_code ec;
        m.exists = std::filesystem::is_regular_file(MeshFile(mesh_dir, m.name), ec);
        m.checked = true;
    }
    return m.exists ? detail::encode(detail::Kind::mesh, 0, static_cast<std::uint32_t>(i)) : nullptr;
}

const std::string* Runtime::Impl::mesh_name(const void* mesh) const {
    detail::Decoded d;
    if (!detail::decode(mesh, d) || d.kind != detail::Kind::mesh || d.n >= meshes.size()) return nullptr;
    return &meshes[d.n].name;
}

void Runtime::set_mesh_dir(const std::string& dir) {
    impl_->mesh_dir = dir;
    for (auto& m : impl_->meshes) m.checked = false;
}

const std::string& Runtime::mesh_dir() const { return impl_->mesh_dir; }

std::string Runtime::mesh_name(MESHHANDLE mesh) const {
    const std::string* n = impl_->mesh_name(mesh);
    return n != nullptr ? *n : std::string();
}

std::vector<std::string> Runtime::mesh_files() const {
    std::vector<std::string> files;
    for (const auto& m : impl_->meshes) {
        if (m.checked && m.exists) files.push_back(MeshFile(impl_->mesh_dir, m.name));
    }
    return files;
}

}  // namespace host
