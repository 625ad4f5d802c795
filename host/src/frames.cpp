// Frames: the frame number, the time-acceleration request taking effect, the
// buffered keys to the focus vessel and clbkPostStep of every living vessel;
// clbkLoadVC on request.
#include "src/runtime_impl.h"
#include "src/vessel_scope.h"

namespace host {

void Runtime::set_frame(std::int64_t frame) {
    impl_->require_outside_callback("set_frame");
    trace::set_frame(frame);
}
std::int64_t Runtime::frame() const { return trace::frame(); }

void Runtime::begin_frame() {
    Impl& rt = *impl_;
    rt.require_module("begin_frame");
    trace::set_frame(trace::frame() + 1);
    if (rt.time_acc_pending) {
        rt.time_acc = rt.time_acc_request;
        rt.time_acc_pending = false;
    }
    for (auto& v : rt.vessels) {
        if (v->alive) v->forces.clear();
    }
}

namespace {

void deliver_keys(Runtime::Impl& rt) {
    VesselState* f = rt.focus >= 0 ? rt.living(static_cast<std::uint32_t>(rt.focus)) : nullptr;
    if (f != nullptr) {
        detail::VesselScope scope(rt, f->index);
        for (const Runtime::Impl::Key& k : rt.keys) {
            int r = f->object->clbkConsumeBufferedKey(k.code, k.down, nullptr);
            if (trace::active()) [[unlikely]]
                trace::Call("clbkConsumeBufferedKey").integer(k.code).boolean(k.down).null().result().integer(r).end();
        }
    }
    rt.keys.clear();
}

}  // namespace

void Runtime::step(double simt_s, double simdt_s, double mjd) {
    Impl& rt = *impl_;
    rt.require_module("step");
    if (!rt.keys.empty()) deliver_keys(rt);
    for (std::size_t i = 0; i < rt.vessels.size(); ++i) {
        VesselState& v = *rt.vessels[i];
        if (!v.alive) continue;
        detail::VesselScope scope(rt, v.index);
        v.object->clbkPostStep(simt_s, simdt_s, mjd);
        if (trace::active()) [[unlikely]]
            trace::Call("clbkPostStep").num(simt_s).num(simdt_s).num(mjd).end();
    }
}

void Runtime::run_frame(double simt_s, double simdt_s, double mjd) {
    begin_frame();
    step(simt_s, simdt_s, mjd);
}

// Keys queued while deliver_keys walks the queue would move it under its feet.
void Runtime::queue_key(DWORD code, bool down) {
    impl_->require_outside_callback("queue_key");
    impl_->keys.push_back(Impl::Key{code, down});
}

bool Runtime::load_vc(int index, int id) {
    Impl& rt = *impl_;
    rt.require_module("load_vc");
    VesselState& v = rt.living_or_throw("load_vc", index);
    detail::VesselScope scope(rt, index);
    bool r = v.object->clbkLoadVC(id);
    if (trace::active()) [[unlikely]]
        trace::Call("clbkLoadVC").integer(id).result().boolean(r).end();
    return r;
}

}  // namespace host
