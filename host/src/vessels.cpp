// Vessels of the module's class: creation (ovcInit, clbkSetClassCaps,
// clbkPostCreation), destruction (ovcExit) and look-up by index or handle.
#include "src/runtime_impl.h"
#include "src/vessel_scope.h"

namespace host {

namespace {

// A dead vessel keeps its scalars (references to its record stay valid) but
// hands back every vector's storage: long sessions create vessels by the
// hundred thousand.
template <class T>
void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

void release_definition(VesselState& v) {
    v.alive = false;
    v.object = nullptr;
    release(v.airfoils);
    release(v.control_surfaces);
    release(v.drag_elements);
    release(v.propellants);
    release(v.thrusters);
    release(v.thruster_groups);
    release(v.beacons);
    release(v.meshes);
    release(v.animations);
    release(v.components);
    release(v.mfds);
    release(v.forces);
    release(v.drag_vars_seen);
    v.hud.reset();
    v.hud_address = nullptr;
}

VesselState& new_record(Runtime::Impl& rt) {
    int index = static_cast<int>(rt.vessels.size());
    auto rec = std::make_unique<VesselState>();
    rec->index = index;
    rec->alive = true;
    rec->handle = detail::encode(detail::Kind::vessel, static_cast<std::uint32_t>(index), 0);
    rec->flight_model = rt.flight_model;
    // Room for the forces of a frame, so a step does not grow it.
    rec->forces.reserve(32);
    rt.vessels.push_back(std::move(rec));
    return *rt.vessels.back();
}

// ovcInit for the new record; the object it returned, checked to be a
// VESSEL2 built on the record's handle.
VESSEL2* init_object(Runtime::Impl& rt, VesselState& v) {
    VESSEL* p = rt.entry.ovc_init(v.handle, v.flight_model);
    if (trace::active()) [[unlikely]] {
        trace::Call c("ovcInit");
        c.handle(v.handle).integer(v.flight_model).result();
        if (p != nullptr) {
            c.handle(v.handle);
        } else {
            c.null();
        }
        c.end();
    }
    if (p == nullptr) {
        release_definition(v);
        throw HostError("create_vessel: ovcInit returned null for vessel " + std::to_string(v.index));
    }
    OBJHANDLE given = nullptr;
    {
        trace::Pause quiet;
        given = p->GetHandle();
    }
    if (p->Version() != 2 || given != v.handle) {
        if (rt.entry.ovc_exit != nullptr) rt.entry.ovc_exit(p);
        release_definition(v);
        throw HostError("create_vessel: ovcInit of vessel " + std::to_string(v.index) +
                        (p->Version() != 2 ? " returned no VESSEL2 object" : " built its object on another handle"));
    }
    return static_cast<VESSEL2*>(p);
}

}  // namespace

int Runtime::create_vessel() {
    Impl& rt = *impl_;
    rt.require_module("create_vessel");
    VesselState& v = new_record(rt);
    detail::VesselScope scope(rt, v.index);
    v.object = init_object(rt, v);
    v.object->clbkSetClassCaps(nullptr);
    if (trace::active()) [[unlikely]]
        trace::Call("clbkSetClassCaps").null().end();
    v.object->clbkPostCreation();
    if (trace::active()) [[unlikely]]
        trace::Call("clbkPostCreation").end();
    return v.index;
}

void Runtime::destroy_vessel(int index) {
    Impl& rt = *impl_;
    rt.require_module("destroy_vessel");
    VesselState& v = rt.living_or_throw("destroy_vessel", index);
    {
        detail::VesselScope scope(rt, index);
        if (rt.entry.ovc_exit != nullptr) rt.entry.ovc_exit(static_cast<VESSEL*>(v.object));
        if (trace::active()) [[unlikely]]
            trace::Call("ovcExit").handle(v.handle).end();
    }
    release_definition(v);
}

void Runtime::destroy_all_vessels() {
    for (int i : living()) destroy_vessel(i);
}

int Runtime::vessels_created() const { return static_cast<int>(impl_->vessels.size()); }

bool Runtime::alive(int index) const {
    return index >= 0 && impl_->living(static_cast<std::uint32_t>(index)) != nullptr;
}

std::vector<int> Runtime::living() const {
    std::vector<int> out;
    for (const auto& v : impl_->vessels) {
        if (v->alive) out.push_back(v->index);
    }
    return out;
}

const VesselState& Runtime::vessel(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= impl_->vessels.size()) [[unlikely]]
        detail::throw_never_created("vessel", index);
    return *impl_->vessels[static_cast<std::size_t>(index)];
}

VESSEL2* Runtime::object(int index) const { return impl_->living_or_throw("object", index).object; }

int Runtime::index_of(OBJHANDLE vessel_handle) const {
    detail::Decoded d;
    if (!detail::decode(vessel_handle, d) || d.kind != detail::Kind::vessel || d.n != 0 ||
        d.v >= impl_->vessels.size()) {
        return -1;
    }
    return static_cast<int>(d.v);
}

}  // namespace host
