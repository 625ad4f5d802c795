// The sound library, loaded as the simulator loads an active plug-in: before
// any vessel exists, and kept until none is left to hold its entries.
#include "src/platform.h"
#include "src/runtime_impl.h"

namespace host {

void Runtime::load_sound_library(const std::string& path) {
    Impl& rt = *impl_;
    if (rt.sound_dl != nullptr) {
        throw HostError("load_sound_library('" + path + "'): a sound library is already loaded ('" +
                        rt.sound_path + "')");
    }
    if (!living().empty()) {
        throw HostError("load_sound_library('" + path + "'): plug-ins load before any vessel is created");
    }
    rt.sound_dl = platform::open_library("sound library", path);
    rt.sound_path = path;
}

void Runtime::unload_sound_library() {
    Impl& rt = *impl_;
    if (rt.sound_dl == nullptr) return;
    if (!living().empty()) {
        throw HostError("unload_sound_library: vessels are still alive and may hold its entries");
    }
    platform::close_library(rt.sound_dl);
    rt.sound_dl = nullptr;
    rt.sound_path.clear();
}

bool Runtime::sound_library_loaded() const { return impl_->sound_dl != nullptr; }

}  // namespace host
