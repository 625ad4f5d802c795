// The runtime's lifetime: one at a time, and what its end tears down.
#include "src/runtime_impl.h"

#ifndef VANTOREL_HOST_ASSET_DIR
#define VANTOREL_HOST_ASSET_DIR "assets"
#endif

namespace host {

namespace detail {

Runtime::Impl* g_rt = nullptr;

void throw_no_living_vessel(const char* what, int index) {
    throw HostError(std::string(what) + "(" + std::to_string(index) + "): no living vessel with this index");
}

void throw_never_created(const char* what, int index) {
    throw HostError(std::string(what) + "(" + std::to_string(index) + "): no vessel was created with this index");
}

void throw_not_ready(const char* what, const char* reason) { throw HostError(std::string(what) + ": " + reason); }

}  // namespace detail

namespace {
Runtime* g_runtime = nullptr;
}

Runtime::Runtime() {
    if (detail::g_rt != nullptr) throw HostError("host::Runtime: another runtime is alive in this process");
    impl_ = std::make_unique<Impl>();
    impl_->mesh_dir = VANTOREL_HOST_ASSET_DIR;
    impl_->keys.reserve(64);
    detail::g_rt = impl_.get();
    g_runtime = this;
    trace::set_frame(0);
    trace::set_vessel(-1);
}

Runtime::~Runtime() {
    try {
        destroy_all_vessels();
        if (impl_->module_loaded) unload_module();
        unload_sound_library();
    } catch (const std::exception&) {
        // A destructor cannot report; the process is going down anyway.
    }
    trace::flush();
    trace::set_vessel(-1);
    detail::g_rt = nullptr;
    g_runtime = nullptr;
}

Runtime* Runtime::current() { return g_runtime; }

}  // namespace host
