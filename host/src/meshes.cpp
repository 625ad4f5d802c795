// Meshes by name: the folder they are looked up in, one handle per name
// (null while no file exists for it), and the name behind a handle.
#include <filesystem>

#include "src/runtime_impl.h"

namespace host {

MESHHANDLE Runtime::Impl::load_mesh(const char* name) {
    std::size_t i = 0;
    while (i < meshes.size() && meshes[i].name != name) ++i;
    if (i == meshes.size()) meshes.push_back(detail::MeshEntry{name, false, false});
    detail::MeshEntry& m = meshes[i];
    if (!m.checked) {
        std::string rel = m.name;
        for (char& c : rel) {
            if (c == '\\') c = '/';
        }
        std::error_code ec;
        m.exists = std::filesystem::is_regular_file(mesh_dir + "/Meshes/" + rel + ".msh", ec);
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

}  // namespace host
