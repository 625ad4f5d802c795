// Host SDK stand-in: types, constants and the plain host functions (oapi...)
// that a vessel module uses. Names are spelled as the host SDK spells them so
// that a module compiles unchanged against the real SDK on Windows.
#ifndef VANTOREL_STANDIN_ORBITERAPI_H
#define VANTOREL_STANDIN_ORBITERAPI_H

// On Windows the system's own windows.h; elsewhere the stand-in in host/win.
#include <windows.h>

// ---------------------------------------------------------------------------
// Export macros
// ---------------------------------------------------------------------------

#if defined(_WIN32)
// A DLL exports only what is marked: without the marks the linker would
// export every symbol of the module.
#define DLLCLBK extern "C" __declspec(dllexport)
#if defined(VANTOREL_BUILDING_HOST)
#define OAPIFUNC __declspec(dllexport)
#else
#define OAPIFUNC __declspec(dllimport)
#endif
#else
// A C entry point that a vessel module exports to the host.
#define DLLCLBK extern "C" __attribute__((visibility("default")))

// A function or class the host runtime exports to modules.
#define OAPIFUNC __attribute__((visibility("default")))
#endif

// ---------------------------------------------------------------------------
// Vector and constants
// ---------------------------------------------------------------------------

// Three doubles: in the vessel frame x right, y up, z forward, in metres.
struct VECTOR3 {
    double x, y, z;
};

inline VECTOR3 _V(double x, double y, double z) { return VECTOR3{x, y, z}; }

// The host's own constants; PI is slightly less than full-precision pi.
const double PI = 3.14159265358979;
const double RAD = PI / 180.0;

// ---------------------------------------------------------------------------
// Handles: opaque to the module
// ---------------------------------------------------------------------------

typedef void* OBJHANDLE;
typedef void* MESHHANDLE;
typedef void* THRUSTER_HANDLE;
typedef void* THGROUP_HANDLE;
typedef void* PROPELLANT_HANDLE;
typedef void* AIRFOILHANDLE;
typedef void* CTRLSURFHANDLE;
typedef void* DRAGELEMHANDLE;
typedef void* ANIMATIONCOMPONENT_HANDLE;
typedef void* FILEHANDLE;
typedef void* VISHANDLE;
typedef void* SURFHANDLE;
#if !defined(_WIN32)
typedef void* HDC;  // windows.h declares it on Windows
#endif

// ---------------------------------------------------------------------------
// Enumerations
// ---------------------------------------------------------------------------

enum AIRFOIL_ORIENTATION { LIFT_VERTICAL = 0, LIFT_HORIZONTAL = 1 };

enum AIRCTRL_TYPE {
    AIRCTRL_ELEVATOR = 0,
    AIRCTRL_RUDDER = 1,
    AIRCTRL_AILERON = 2,
    AIRCTRL_FLAP = 3,
    AIRCTRL_ELEVATORTRIM = 4,
    AIRCTRL_RUDDERTRIM = 5
};

#define AIRCTRL_AXIS_AUTO 0
#define AIRCTRL_AXIS_YPOS 1
#define AIRCTRL_AXIS_YNEG 2
#define AIRCTRL_AXIS_XPOS 3
#define AIRCTRL_AXIS_XNEG 4

enum THGROUP_TYPE {
    THGROUP_MAIN = 0,
    THGROUP_RETRO = 1,
    THGROUP_HOVER = 2
};

#define BEACONSHAPE_COMPACT 0
#define BEACONSHAPE_DIFFUSE 1
#define BEACONSHAPE_STAR 2

#define MESHVIS_NEVER 0
#define MESHVIS_EXTERNAL 1
#define MESHVIS_COCKPIT 2
#define MESHVIS_ALWAYS 3
#define MESHVIS_VC 4

#define MFD_LEFT 0
#define MFD_RIGHT 1
#define MFD_USER1 2

// Key codes of buffered key events.
#define OAPI_KEY_0 0x0B
#define OAPI_KEY_F 0x21
#define OAPI_KEY_G 0x22
#define OAPI_KEY_J 0x24
#define OAPI_KEY_K 0x25

// ---------------------------------------------------------------------------
// Records the host keeps by address
// ---------------------------------------------------------------------------

// A strobe beacon; the host reads the record through its address every frame.
struct BEACONLIGHTSPEC {
    DWORD shape;
    VECTOR3* pos;
    VECTOR3* col;
    double size;
    double falloff;
    double period;
    double duration;
    double tofs;
    bool active;
};

// Head-up display surface of a virtual cockpit.
struct VCHUDSPEC {
    DWORD nmesh;
    DWORD ngroup;
    VECTOR3 hudcnt;
    double size;
};

// Multifunction display surface of a virtual cockpit.
struct VCMFDSPEC {
    DWORD nmesh;
    DWORD ngroup;
};

// Mesh-group transforms of an animation component.
class MGROUP_TRANSFORM {
public:
    enum TYPE { NULLTRANSFORM, ROTATE, TRANSLATE };
    MGROUP_TRANSFORM() : mesh(0), grp(nullptr), ngrp(0) {}
    MGROUP_TRANSFORM(UINT mesh_, UINT* grp_, UINT ngrp_) : mesh(mesh_), grp(grp_), ngrp(ngrp_) {}
    virtual ~MGROUP_TRANSFORM() {}
    virtual TYPE Type() const { return NULLTRANSFORM; }

    UINT mesh;  // mesh index
    UINT* grp;  // group indices
    UINT ngrp;  // number of groups
};

class MGROUP_ROTATE : public MGROUP_TRANSFORM {
public:
    MGROUP_ROTATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& ref_, const VECTOR3& axis_, float angle_)
        : MGROUP_TRANSFORM(mesh_, grp_, ngrp_), ref(ref_), axis(axis_), angle(angle_) {}
    TYPE Type() const override { return ROTATE; }

    VECTOR3 ref;   // a point on the rotation axis
    VECTOR3 axis;  // axis direction as given
    float angle;   // rotation over the component's range, radians
};

class MGROUP_TRANSLATE : public MGROUP_TRANSFORM {
public:
    MGROUP_TRANSLATE(UINT mesh_, UINT* grp_, UINT ngrp_, const VECTOR3& shift_)
        : MGROUP_TRANSFORM(mesh_, grp_, ngrp_), shift(shift_) {}
    TYPE Type() const override { return TRANSLATE; }

    VECTOR3 shift;  // translation over the component's range, metres
};

// ---------------------------------------------------------------------------
// Callbacks and host functions
// ---------------------------------------------------------------------------

// Airfoil coefficient function: angle (rad), Mach number, Reynolds number in;
// lift, moment and drag coefficients out.
typedef void (*AirfoilCoeffFunc)(double aoa, double M, double Re, double* cl, double* cm, double* cd);

// Module set-up: the DLL entry hands the host the module instance.
OAPIFUNC void InitLib(HINSTANCE module);

// Date text ("Mmm dd yyyy") to an integer version.
OAPIFUNC int Date2Int(char* date);

// Induced drag coefficient for lift coefficient cl, aspect ratio A and efficiency e.
OAPIFUNC double oapiGetInducedDrag(double cl, double A, double e);

OAPIFUNC double oapiGetTimeAcceleration();
// A request: the factor takes effect at the start of the next frame.
OAPIFUNC void oapiSetTimeAcceleration(double warp);
// True while the camera is in a cockpit view.
OAPIFUNC bool oapiCameraInternal();
// Writes the heading (rad) of the vessel with the input focus; false when there is none.
OAPIFUNC bool oapiGetFocusHeading(double* heading);

OAPIFUNC MESHHANDLE oapiLoadMeshGlobal(const char* fname);

OAPIFUNC void oapiVCRegisterHUD(const VCHUDSPEC* display);
OAPIFUNC void oapiVCRegisterMFD(int mfd, const VCMFDSPEC* display);

#endif
