// Marks whose callback is running: the trace's "vessel" field, and the
// vessel that oapi functions such as oapiVCRegisterHUD belong to.
#ifndef VANTOREL_HOST_VESSEL_SCOPE_H
#define VANTOREL_HOST_VESSEL_SCOPE_H

#include "src/runtime_impl.h"
#include "src/trace_state.h"

namespace host::detail {

class VesselScope {
public:
    // The recorder's state directly: a scope opens around every module
    // callback and coefficient call, too often for calls across the library.
    VesselScope(Runtime::Impl& rt, int vessel)
        : rt_(rt), vessel_(trace::detail::state().vessel), prev_(vessel_), prev_in_(rt.in_callback) {
        vessel_ = vessel;
        rt_.in_callback = true;
    }
    ~VesselScope() {
        vessel_ = prev_;
        rt_.in_callback = prev_in_;
    }
    VesselScope(const VesselScope&) = delete;
    VesselScope& operator=(const VesselScope&) = delete;

private:
    Runtime::Impl& rt_;
    int& vessel_;
    int prev_;
    bool prev_in_;
};

}  // namespace host::detail

#endif
