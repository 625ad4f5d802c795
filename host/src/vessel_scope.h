// Marks whose callback is running: the trace's "vessel" field, and the
// vessel that oapi functions such as oapiVCRegisterHUD belong to.
#ifndef VANTOREL_HOST_VESSEL_SCOPE_H
#define VANTOREL_HOST_VESSEL_SCOPE_H

#include "runtime_impl.h"

namespace host::detail {

class VesselScope {
public:
    VesselScope(Runtime::Impl& rt, int vessel) : rt_(rt), prev_(trace::vessel()), prev_in_(rt.in_callback) {
        trace::set_vessel(vessel);
        rt_.in_callback = true;
    }
    ~VesselScope() {
        trace::set_vessel(prev_);
        rt_.in_callback = prev_in_;
    }
    VesselScope(const VesselScope&) = delete;
    VesselScope& operator=(const VesselScope&) = delete;

private:
    Runtime::Impl& rt_;
    int prev_;
    bool prev_in_;
};

}  // namespace host::detail

#endif
