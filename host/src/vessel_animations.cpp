// VESSEL members for animations: creation, components (transforms kept by
// address), and the state the module sets each step.
#include "src/runtime_impl.h"

using host::VesselState;
using host::detail::Kind;
namespace trace = host::trace;

UINT VESSEL::CreateAnimation(double initial_state) const {
    UINT h = 0;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        h = static_cast<UINT>(v->animations.size());
        v->animations.push_back(host::AnimationRec{initial_state, initial_state, {}});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateAnimation").num(initial_state).result().integer(h).end();
    return h;
}

ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT anim, double state0, double state1,
                                                        MGROUP_TRANSFORM* trans,
                                                        ANIMATIONCOMPONENT_HANDLE parent) const {
    ANIMATIONCOMPONENT_HANDLE h = nullptr;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        if (anim < v->animations.size()) {
            std::size_t n = v->components.size();
            h = host::detail::handle_for(Kind::component, *v, n);
            v->components.push_back(host::AnimComponentRec{anim, state0, state1, trans, parent});
            v->animations[anim].components.push_back(n);
        }
    }
    if (trace::active()) [[unlikely]]
        trace::Call("AddAnimationComponent")
            .integer(anim)
            .num(state0)
            .num(state1)
            .transform(trans)
            .handle(parent)
            .result()
            .handle(h)
            .end();
    return h;
}

void VESSEL::SetAnimation(UINT anim, double state) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        if (anim < v->animations.size()) v->animations[anim].state = state;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetAnimation").integer(anim).num(state).end();
}
