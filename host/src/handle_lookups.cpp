// Where a thruster, propellant or animation-component handle sits in its
// vessel's list: what a flight model or renderer outside the module needs to
// find the record behind a handle the module holds.
#include "src/runtime_impl.h"

namespace host {

int Runtime::thruster_index(THRUSTER_HANDLE th) const { return detail::handle_index(th, detail::Kind::thruster); }

int Runtime::propellant_index(PROPELLANT_HANDLE ph) const {
    return detail::handle_index(ph, detail::Kind::propellant);
}

int Runtime::component_index(ANIMATIONCOMPONENT_HANDLE component) const {
    return detail::handle_index(component, detail::Kind::component);
}

}  // namespace host
