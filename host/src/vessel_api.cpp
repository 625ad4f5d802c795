// VESSEL and VESSEL2 as the host implements them. Every member acts on the
// runtime's record of the vessel (or of the vessel that created a handle) and
// records itself when the recorder is on. Nothing here allocates once the
// vessel's definition is complete.
#include "runtime_impl.h"

using host::VesselState;
using host::detail::g_rt;
using host::detail::Kind;
namespace trace = host::trace;

namespace {

VesselState* self(OBJHANDLE h) {
    host::detail::Decoded d;
    if (g_rt == nullptr || !host::detail::decode(h, d) || d.kind != Kind::vessel) return nullptr;
    return g_rt->living(d.v);
}

std::uint32_t index_of(const VesselState* v) { return static_cast<std::uint32_t>(v->index); }

bool valid_ctrl_type(int type) { return type >= 0 && type < 6; }

}  // namespace

// ---------------------------------------------------------------------------
// Construction, identity
// ---------------------------------------------------------------------------

VESSEL::VESSEL(OBJHANDLE hVessel_, int fmodel) : version(1), hVessel(hVessel_), flightmodel(fmodel) {}

OBJHANDLE VESSEL::GetHandle() const {
    if (trace::active()) [[unlikely]]
        trace::Call("GetHandle").result().handle(hVessel).end();
    return hVessel;
}

int VESSEL::GetFlightModel() const {
    VesselState* v = self(hVessel);
    int r = v != nullptr ? v->flight_model : flightmodel;
    if (trace::active()) [[unlikely]]
        trace::Call("GetFlightModel").result().integer(r).end();
    return r;
}

// ---------------------------------------------------------------------------
// Definition setters
// ---------------------------------------------------------------------------

void VESSEL::SetSize(double size) const {
    if (VesselState* v = self(hVessel)) v->size_m = size;
    if (trace::active()) [[unlikely]]
        trace::Call("SetSize").num(size).end();
}

void VESSEL::SetEmptyMass(double m) const {
    if (VesselState* v = self(hVessel)) v->empty_mass_kg = m;
    if (trace::active()) [[unlikely]]
        trace::Call("SetEmptyMass").num(m).end();
}

void VESSEL::SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const {
    if (VesselState* v = self(hVessel)) {
        v->cw[0] = cw_z_pos;
        v->cw[1] = cw_z_neg;
        v->cw[2] = cw_x;
        v->cw[3] = cw_y;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetCW").num(cw_z_pos).num(cw_z_neg).num(cw_x).num(cw_y).end();
}

void VESSEL::SetWingAspect(double aspect) const {
    if (VesselState* v = self(hVessel)) v->wing_aspect = aspect;
    if (trace::active()) [[unlikely]]
        trace::Call("SetWingAspect").num(aspect).end();
}

void VESSEL::SetWingEffectiveness(double eff) const {
    if (VesselState* v = self(hVessel)) v->wing_effectiveness = eff;
    if (trace::active()) [[unlikely]]
        trace::Call("SetWingEffectiveness").num(eff).end();
}

void VESSEL::SetCrossSections(const VECTOR3& cs) const {
    if (VesselState* v = self(hVessel)) v->cross_sections_m2 = cs;
    if (trace::active()) [[unlikely]]
        trace::Call("SetCrossSections").vec(cs).end();
}

void VESSEL::SetRotDrag(const VECTOR3& rd) const {
    if (VesselState* v = self(hVessel)) v->rot_drag = rd;
    if (trace::active()) [[unlikely]]
        trace::Call("SetRotDrag").vec(rd).end();
}

void VESSEL::SetPitchMomentScale(double scale) const {
    if (VesselState* v = self(hVessel)) {
        v->pitch_moment_scale = scale;
        v->pitch_moment_scale_set = true;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetPitchMomentScale").num(scale).end();
}

void VESSEL::SetBankMomentScale(double scale) const {
    if (VesselState* v = self(hVessel)) {
        v->bank_moment_scale = scale;
        v->bank_moment_scale_set = true;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetBankMomentScale").num(scale).end();
}

void VESSEL::SetPMI(const VECTOR3& pmi) const {
    if (VesselState* v = self(hVessel)) v->pmi_m2 = pmi;
    if (trace::active()) [[unlikely]]
        trace::Call("SetPMI").vec(pmi).end();
}

void VESSEL::SetTrimScale(double scale) const {
    if (VesselState* v = self(hVessel)) v->trim_scale = scale;
    if (trace::active()) [[unlikely]]
        trace::Call("SetTrimScale").num(scale).end();
}

void VESSEL::SetCameraOffset(const VECTOR3& co) const {
    if (VesselState* v = self(hVessel)) v->camera_offset_m = co;
    if (trace::active()) [[unlikely]]
        trace::Call("SetCameraOffset").vec(co).end();
}

void VESSEL::SetCameraDefaultDirection(const VECTOR3& cd) const {
    if (VesselState* v = self(hVessel)) v->camera_default_dir = cd;
    if (trace::active()) [[unlikely]]
        trace::Call("SetCameraDefaultDirection").vec(cd).end();
}

void VESSEL::SetCameraRotationRange(double left, double right, double up, double down) const {
    if (VesselState* v = self(hVessel)) {
        v->camera_range_rad[0] = left;
        v->camera_range_rad[1] = right;
        v->camera_range_rad[2] = up;
        v->camera_range_rad[3] = down;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetCameraRotationRange").num(left).num(right).num(up).num(down).end();
}

void VESSEL::SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const {
    if (VesselState* v = self(hVessel)) {
        v->touchdown_m[0] = pt1;
        v->touchdown_m[1] = pt2;
        v->touchdown_m[2] = pt3;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetTouchdownPoints").vec(pt1).vec(pt2).vec(pt3).end();
}

// ---------------------------------------------------------------------------
// Flight-model objects
// ---------------------------------------------------------------------------

AIRFOILHANDLE VESSEL::CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3& ref, AirfoilCoeffFunc cf, double c,
                                    double S, double A) const {
    AIRFOILHANDLE h = nullptr;
    if (VesselState* v = self(hVessel)) {
        h = host::detail::encode(Kind::airfoil, index_of(v), static_cast<std::uint32_t>(v->airfoils.size()));
        v->airfoils.push_back(host::AirfoilRec{align, ref, cf, c, S, A});
        if (cf != nullptr) g_rt->coeff_index(cf);
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateAirfoil")
            .integer(align)
            .vec(ref)
            .coeff(cf)
            .num(c)
            .num(S)
            .num(A)
            .result()
            .handle(h)
            .end();
    return h;
}

CTRLSURFHANDLE VESSEL::CreateControlSurface(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3& ref, int axis,
                                            UINT anim) const {
    CTRLSURFHANDLE h = nullptr;
    if (VesselState* v = self(hVessel)) {
        h = host::detail::encode(Kind::ctrlsurf, index_of(v), static_cast<std::uint32_t>(v->control_surfaces.size()));
        v->control_surfaces.push_back(host::ControlSurfaceRec{type, area, dCl, ref, axis, anim});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateControlSurface")
            .integer(type)
            .num(area)
            .num(dCl)
            .vec(ref)
            .integer(axis)
            .integer(anim)
            .result()
            .handle(h)
            .end();
    return h;
}

DRAGELEMHANDLE VESSEL::CreateVariableDragElement(const double* drag, double factor, const VECTOR3& ref) const {
    DRAGELEMHANDLE h = nullptr;
    int vi = -1;
    if (VesselState* v = self(hVessel)) {
        vi = v->index;
        h = host::detail::encode(Kind::dragelem, index_of(v), static_cast<std::uint32_t>(v->drag_elements.size()));
        v->drag_elements.push_back(host::DragElementRec{drag, factor, ref});
        bool seen = false;
        for (const double* p : v->drag_vars_seen) seen = seen || p == drag;
        if (!seen && drag != nullptr) v->drag_vars_seen.push_back(drag);
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateVariableDragElement").drag_var(vi, drag).num(factor).vec(ref).result().handle(h).end();
    return h;
}

PROPELLANT_HANDLE VESSEL::CreatePropellantResource(double maxmass, double mass, double efficiency) const {
    PROPELLANT_HANDLE h = nullptr;
    if (VesselState* v = self(hVessel)) {
        h = host::detail::encode(Kind::propellant, index_of(v), static_cast<std::uint32_t>(v->propellants.size()));
        // A negative initial mass fills the tank.
        v->propellants.push_back(host::PropellantRec{maxmass, mass < 0.0 ? maxmass : mass, efficiency});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreatePropellantResource").num(maxmass).num(mass).num(efficiency).result().handle(h).end();
    return h;
}

THRUSTER_HANDLE VESSEL::CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0, PROPELLANT_HANDLE hp,
                                       double isp0, double isp_ref, double p_ref) const {
    THRUSTER_HANDLE h = nullptr;
    if (VesselState* v = self(hVessel)) {
        h = host::detail::encode(Kind::thruster, index_of(v), static_cast<std::uint32_t>(v->thrusters.size()));
        v->thrusters.push_back(host::ThrusterRec{pos, dir, maxth0, hp, isp0, isp_ref, p_ref, 0.0});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("CreateThruster")
            .vec(pos)
            .vec(dir)
            .num(maxth0)
            .handle(hp)
            .num(isp0)
            .num(isp_ref)
            .num(p_ref)
            .result()
            .handle(h)
            .end();
    return h;
}

THGROUP_HANDLE VESSEL::CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE type) const {
    THGROUP_HANDLE h = nullptr;
    if (VesselState* v = self(hVessel)) {
        h = host::detail::encode(Kind::thgroup, index_of(v), static_cast<std::uint32_t>(v->thruster_groups.size()));
        host::ThrusterGroupRec g{type, {}};
        if (th != nullptr && nth > 0) g.members.assign(th, th + nth);
        v->thruster_groups.push_back(std::move(g));
    }
    if (trace::active()) [[unlikely]] {
        trace::Call c("CreateThrusterGroup");
        if (th == nullptr) {
            c.null();
        } else {
            c.begin_array();
            for (int i = 0; i < nth; ++i) c.handle(th[i]);
            c.end_array();
        }
        c.integer(nth).integer(type).result().handle(h).end();
    }
    return h;
}

void VESSEL::AddBeacon(BEACONLIGHTSPEC* bs) {
    if (VesselState* v = self(hVessel)) v->beacons.push_back(bs);
    if (trace::active()) [[unlikely]]
        trace::Call("AddBeacon").beacon(bs).end();
}

// ---------------------------------------------------------------------------
// Meshes
// ---------------------------------------------------------------------------

UINT VESSEL::AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs) const {
    UINT idx = 0;
    if (VesselState* v = self(hVessel)) {
        idx = static_cast<UINT>(v->meshes.size());
        v->meshes.push_back(host::MeshRec{hMesh, ofs != nullptr ? *ofs : VECTOR3{0, 0, 0}, ofs != nullptr,
                                          static_cast<WORD>(MESHVIS_EXTERNAL)});
    }
    if (trace::active()) [[unlikely]]
        trace::Call("AddMesh").handle(hMesh).vec(ofs).result().integer(idx).end();
    return idx;
}

UINT VESSEL::InsertMesh(MESHHANDLE hMesh, UINT idx, const VECTOR3* ofs) const {
    if (VesselState* v = self(hVessel)) {
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
    if (VesselState* v = self(hVessel)) {
        if (meshidx < v->meshes.size()) v->meshes[meshidx].visibility = mode;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetMeshVisibilityMode").integer(meshidx).integer(mode).end();
}

// ---------------------------------------------------------------------------
// Animations
// ---------------------------------------------------------------------------

UINT VESSEL::CreateAnimation(double initial_state) const {
    UINT h = 0;
    if (VesselState* v = self(hVessel)) {
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
    if (VesselState* v = self(hVessel)) {
        if (anim < v->animations.size()) {
            std::size_t n = v->components.size();
            h = host::detail::encode(Kind::component, index_of(v), static_cast<std::uint32_t>(n));
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
    if (VesselState* v = self(hVessel)) {
        if (anim < v->animations.size()) v->animations[anim].state = state;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetAnimation").integer(anim).num(state).end();
}

// ---------------------------------------------------------------------------
// Readings
// ---------------------------------------------------------------------------

double VESSEL::GetAirspeed() const {
    VesselState* v = self(hVessel);
    double r = v != nullptr ? v->airspeed_mps : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetAirspeed").result().num(r).end();
    return r;
}

double VESSEL::GetAltitude() const {
    VesselState* v = self(hVessel);
    double r = v != nullptr ? v->altitude_m : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetAltitude").result().num(r).end();
    return r;
}

double VESSEL::GetAOA() const {
    VesselState* v = self(hVessel);
    double r = v != nullptr ? v->aoa_rad : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetAOA").result().num(r).end();
    return r;
}

double VESSEL::GetBank() const {
    VesselState* v = self(hVessel);
    double r = v != nullptr ? v->bank_rad : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetBank").result().num(r).end();
    return r;
}

bool VESSEL::GroundContact() const {
    VesselState* v = self(hVessel);
    bool r = v != nullptr && v->ground_contact;
    if (trace::active()) [[unlikely]]
        trace::Call("GroundContact").result().boolean(r).end();
    return r;
}

double VESSEL::GetThrusterLevel(THRUSTER_HANDLE th) const {
    std::uint32_t n = 0;
    double r = 0.0;
    if (VesselState* v = host::detail::owner(th, Kind::thruster, n)) {
        if (n < v->thrusters.size()) r = v->thrusters[n].level;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("GetThrusterLevel").handle(th).result().num(r).end();
    return r;
}

double VESSEL::GetControlSurfaceLevel(AIRCTRL_TYPE type) const {
    VesselState* v = self(hVessel);
    double r = v != nullptr && valid_ctrl_type(type) ? v->ctrl_level[type] : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetControlSurfaceLevel").integer(type).result().num(r).end();
    return r;
}

double VESSEL::GetFuelMass() const {
    VesselState* v = self(hVessel);
    double r = v != nullptr && !v->propellants.empty() ? v->propellants[0].mass_kg : 0.0;
    if (trace::active()) [[unlikely]]
        trace::Call("GetFuelMass").result().num(r).end();
    return r;
}

// ---------------------------------------------------------------------------
// Actions
// ---------------------------------------------------------------------------

void VESSEL::SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const {
    std::uint32_t n = 0;
    if (VesselState* v = host::detail::owner(th, Kind::thruster, n)) {
        if (n < v->thrusters.size()) v->thrusters[n].max_thrust0_n = maxth0;
    }
    if (trace::active()) [[unlikely]]
        trace::Call("SetThrusterMax0").handle(th).num(maxth0).end();
}

void VESSEL::SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const {
    VesselState* v = self(hVessel);
    if (v != nullptr && valid_ctrl_type(type)) v->ctrl_level[type] = level;
    if (trace::active()) [[unlikely]]
        trace::Call("SetControlSurfaceLevel").integer(type).num(level).end();
}

void VESSEL::SetFuelMass(double m) const {
    VesselState* v = self(hVessel);
    if (v != nullptr && !v->propellants.empty()) v->propellants[0].mass_kg = m;
    if (trace::active()) [[unlikely]]
        trace::Call("SetFuelMass").num(m).end();
}

void VESSEL::AddForce(const VECTOR3& F, const VECTOR3& r) const {
    if (VesselState* v = self(hVessel)) v->forces.push_back(host::ForceRec{F, r});
    if (trace::active()) [[unlikely]]
        trace::Call("AddForce").vec(F).vec(r).end();
}

// ---------------------------------------------------------------------------
// VESSEL2: the host's default callbacks do nothing and report "not handled".
// ---------------------------------------------------------------------------

VESSEL2::VESSEL2(OBJHANDLE hVessel_, int fmodel) : VESSEL(hVessel_, fmodel) { version = 2; }

void VESSEL2::clbkSetClassCaps(FILEHANDLE) {}
void VESSEL2::clbkSaveState(FILEHANDLE) {}
void VESSEL2::clbkLoadStateEx(FILEHANDLE, void*) {}
void VESSEL2::clbkSetStateEx(const void*) {}
void VESSEL2::clbkPostCreation() {}
void VESSEL2::clbkFocusChanged(bool, OBJHANDLE, OBJHANDLE) {}
void VESSEL2::clbkPreStep(double, double, double) {}
void VESSEL2::clbkPostStep(double, double, double) {}
bool VESSEL2::clbkPlaybackEvent(double, double, const char*, const char*) { return false; }
void VESSEL2::clbkVisualCreated(VISHANDLE, int) {}
void VESSEL2::clbkVisualDestroyed(VISHANDLE, int) {}
void VESSEL2::clbkDrawHUD(int, const void*, HDC) {}
void VESSEL2::clbkRCSMode(int) {}
void VESSEL2::clbkADCtrlMode(DWORD) {}
void VESSEL2::clbkHUDMode(int) {}
void VESSEL2::clbkMFDMode(int, int) {}
void VESSEL2::clbkNavMode(int, bool) {}
void VESSEL2::clbkDockEvent(int, OBJHANDLE) {}
void VESSEL2::clbkAnimate(double) {}
int VESSEL2::clbkConsumeDirectKey(char*) { return 0; }
int VESSEL2::clbkConsumeBufferedKey(DWORD, bool, char*) { return 0; }
bool VESSEL2::clbkLoadGenericCockpit() { return false; }
bool VESSEL2::clbkLoadPanel(int) { return false; }
bool VESSEL2::clbkPanelMouseEvent(int, int, int, int) { return false; }
bool VESSEL2::clbkPanelRedrawEvent(int, int, SURFHANDLE) { return false; }
bool VESSEL2::clbkLoadVC(int) { return false; }
bool VESSEL2::clbkVCMouseEvent(int, int, VECTOR3&) { return false; }
bool VESSEL2::clbkVCRedrawEvent(int, int, SURFHANDLE) { return false; }
