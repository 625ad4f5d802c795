// A small vessel module for the host's tests: it uses every kind of host
// service the real module uses, keeps its main thruster handle module-wide as
// the real module does, and exports a few counters for the tests.
#include <Orbitersdk.h>

namespace {

double canopy_drag = 0.25;
VECTOR3 beacon_pos{1.0, 2.0, 3.0};
VECTOR3 beacon_col{1.0, 0.0, 0.0};
BEACONLIGHTSPEC beacon{BEACONSHAPE_STAR, &beacon_pos, &beacon_col, 0.13, 0.6, 1.13, 0.05, 0.6, false};
UINT groups[] = {4, 5, 6};
MGROUP_ROTATE rotation(0, groups, 3, VECTOR3{0.0, 0.5, 1.0}, VECTOR3{1.0, 0.0, 0.0}, static_cast<float>(30 * RAD));
MGROUP_TRANSLATE shift(1, groups, 2, VECTOR3{0.0, 0.0, 0.15});
VCHUDSPEC hud{1, 331, {0.0, 0.64, 4.1}, 0.8};
VCMFDSPEC mfd_left{1, 328};

// Module-wide, like the real module's th_main: stays after its vessel dies.
THRUSTER_HANDLE first_thruster = nullptr;
MESHHANDLE mesh_box = nullptr;
int vessels_made = 0;  // load-time value 0; survives vessel re-creation

void lift_coeffs(double aoa, double, double, double* cl, double* cm, double* cd) {
    *cl = 2.0 * aoa;
    *cm = -0.1 * aoa;
    *cd = 0.01 + oapiGetInducedDrag(*cl, 2.0, 0.9);
}

class TestVessel final : public VESSEL2 {
public:
    TestVessel(OBJHANDLE h, int fmodel) : VESSEL2(h, fmodel) {
        mesh_box = oapiLoadMeshGlobal("Test\\Box");
        anim_ = CreateAnimation(0.5);
        ANIMATIONCOMPONENT_HANDLE parent = AddAnimationComponent(anim_, 0.0, 1.0, &rotation);
        AddAnimationComponent(anim_, 0.5, 1.0, &shift, parent);
        ++vessels_made;
    }

    void clbkSetClassCaps(FILEHANDLE) override {
        SetSize(8.0);
        SetEmptyMass(12000.0);
        SetCW(0.3, 0.3, 0.6, 0.9);
        SetWingAspect(1.7);
        SetWingEffectiveness(3.1);
        SetCrossSections(_V(5.0, 5.0, 15.0));
        SetRotDrag(_V(3.5, 3.5, 3.5));
        if (GetFlightModel() >= 1) {
            SetPitchMomentScale(1e-4);
            SetBankMomentScale(1e-4);
        }
        SetPMI(_V(15.5, 22.1, 7.7));
        SetTrimScale(0.05);
        SetCameraOffset(_V(0.0, 0.64, 2.71));
        SetTouchdownPoints(_V(0, -1.5, 4.6), _V(-1.7, -1.5, -0.3), _V(1.7, -1.5, -0.3));
        CreateAirfoil(LIFT_VERTICAL, _V(0, 0, -0.5), lift_coeffs, 20.0, 270.0, 2.266);
        CreateControlSurface(AIRCTRL_RUDDER, 2.0, 0.5, _V(0, 2, -15), AIRCTRL_AXIS_YPOS, anim_);
        CreateVariableDragElement(&canopy_drag, 5.0, _V(0, 0, 0));
        PROPELLANT_HANDLE tank = CreatePropellantResource(20000.0, -1.0, 1.0);
        th_ = CreateThruster(_V(0, 0, -4.3), _V(0, 0, 1), 0.0, tank, 50000.0, 0.0, 101400.0);
        if (first_thruster == nullptr) first_thruster = th_;
        CreateThrusterGroup(&th_, 1, THGROUP_MAIN);
        AddBeacon(&beacon);
        AddMesh(mesh_box);
        VECTOR3 ofs = _V(0.0, 0.2, 4.5);
        UINT idx = AddMesh(mesh_box, &ofs);
        SetMeshVisibilityMode(idx, MESHVIS_VC);
    }

    void clbkPostCreation() override {
        HMODULE sound = GetModuleHandleA("OrbiterSound.dll");
        auto get_id = reinterpret_cast<int (*)(OBJHANDLE)>(reinterpret_cast<void*>(GetProcAddress(sound, "GetVesselSoundID3")));
        sound_id_ = get_id != nullptr ? get_id(GetHandle()) : -1;
    }

    void clbkPostStep(double, double, double) override {
        if (oapiGetTimeAcceleration() > 10.0) oapiSetTimeAcceleration(10.0);
        SetAnimation(anim_, GetAirspeed() / 100.0);
        // The first vessel's handle, possibly of a dead or another vessel.
        SetThrusterMax0(first_thruster, 7.0);
        GetThrusterLevel(first_thruster);
        SetThrusterMax0(th_, 1000.0 * GetThrusterLevel(th_));
        SetControlSurfaceLevel(AIRCTRL_FLAP, GetControlSurfaceLevel(AIRCTRL_RUDDER) * 0.5);
        SetCW(GetAltitude() > 17000.0 ? 2.0 : 0.3, 0.3, 0.6, 0.9);
        AddForce(_V(GetBank(), GetAOA(), 0.0), _V(0, 0, 1));
        if (GroundContact()) SetFuelMass(GetFuelMass() - 1.0);
        double heading = -1.0;
        if (oapiGetFocusHeading(&heading)) canopy_drag = heading;
        if (oapiCameraInternal()) SetCameraOffset(_V(0.0, 0.7, 2.71));
    }

    int clbkConsumeBufferedKey(DWORD key, bool down, char*) override {
        if (!down || key != OAPI_KEY_K) return 0;
        beacon.active = !beacon.active;
        InsertMesh(beacon.active ? nullptr : mesh_box, 1);
        return 1;
    }

    bool clbkLoadVC(int) override {
        SetCameraOffset(_V(0.0, 0.64, 2.71));
        SetCameraDefaultDirection(_V(0, 0, 1));
        SetCameraRotationRange(60 * RAD, 60 * RAD, 40 * RAD, 40 * RAD);
        oapiVCRegisterHUD(&hud);
        oapiVCRegisterMFD(MFD_LEFT, &mfd_left);
        return true;
    }

    int sound_id() const { return sound_id_; }

private:
    UINT anim_ = 0;
    THRUSTER_HANDLE th_ = nullptr;
    int sound_id_ = -1;
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE hvessel, int flightmodel) { return new TestVessel(hvessel, flightmodel); }

DLLCLBK void ovcExit(VESSEL* vessel) { delete static_cast<TestVessel*>(vessel); }

DLLCLBK int GetModuleVersion() {
    static char date[] = "Apr 25 2006";
    return Date2Int(date);
}

DLLCLBK int test_module_vessels_made() { return vessels_made; }

DLLCLBK int test_module_sound_id(VESSEL* vessel) { return static_cast<TestVessel*>(vessel)->sound_id(); }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitLib(instance);
        GetProcAddress(instance, "ExitModule");
    }
    return TRUE;
}
