// VESSEL members for a vessel's meshes and their visibility.
#include "src/runtime_impl.h"

using host::VesselState;
namespace trace = host::trace;

UINT VESSEL::AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs) const {
    UINT idx = 0;
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        idx = static_cast<UINT>(v->meshes.size());
        v->meshes.push_back(host::MeshRec{hMesh, ofs != nullptr ? *ofs : VECTOR3{0, 0, 0}, ofs != nullptr,
                                          static_cast<WORD>(MESHVIS_EXTERNAL)});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("AddMesh").handle(hMesh).vec(ofs).result().integer(idx).end();
    return idx;
}

UINT VESSEL::InsertMesh(MESHHANDLE hMesh, UINT idx, const VECTOR3* ofs) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        // Indices past the end leave empty slots between, as the simulator does.
        if (idx >= v->meshes.size()) v->meshes.resize(idx + 1, host::MeshRec{nullptr, {0, 0, 0}, false, 0});
        v->meshes[idx] = host::MeshRec{hMesh, ofs != nullptr ? *ofs : VECTOR3{0, 0, 0}, ofs != nullptr,
                                       static_cast<WORD>(MESHVIS_EXTERNAL)};
    }
    if (trace::active()) [[unlikely]]
        trace::Call("InsertMesh").handle(hMesh).integer(idx).vec(ofs).result().integer(idx).end();
    return idx;
}

void VESSEL::SetMeshVisibilityMode(UINT meshidx, WORD mode) const {
    if (VesselState* v = host::detail::vessel_of(hVessel)) {
        if (meshidx < v->meshes.size()) v->meshes[meshidx].visibility = mode;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetMeshVisibilityMode").integer(meshidx).integer(mode).end();
}
