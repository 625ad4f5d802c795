// Host SDK stand-in: the vessel interface. VESSEL holds the host's services for
// one vessel; VESSEL2 adds the callbacks the host calls. A vessel class derives
// from VESSEL2 and overrides the callbacks it needs.
#ifndef VANTOREL_STANDIN_VESSELAPI_H
#define VANTOREL_STANDIN_VESSELAPI_H

#include "OrbiterAPI.h"

class OAPIFUNC VESSEL {
public:
    VESSEL(OBJHANDLE hVessel, int fmodel = 1);

    // Identity and flight-model level.
    OBJHANDLE GetHandle() const;
    int GetFlightModel() const;

    // Definition setters.
    void SetSize(double size) const;
    void SetEmptyMass(double m) const;
    void SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const;
    void SetWingAspect(double aspect) const;
    void SetWingEffectiveness(double eff) const;
    void SetCrossSections(const VECTOR3& cs) const;
    void SetRotDrag(const VECTOR3& rd) const;
    void SetPitchMomentScale(double scale) const;
    void SetBankMomentScale(double scale) const;
    void SetPMI(const VECTOR3& pmi) const;
    void SetTrimScale(double scale) const;
    void SetCameraOffset(const VECTOR3& co) const;
    void SetCameraDefaultDirection(const VECTOR3& cd) const;
    void SetCameraRotationRange(double left, double right, double up, double down) const;
    void SetTouchdownPoints(const VECTOR3& pt1, const VECTOR3& pt2, const VECTOR3& pt3) const;

    // Flight-model objects.
    AIRFOILHANDLE CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3& ref, AirfoilCoeffFunc cf, double c,
                                double S, double A) const;
    // The host drives the bound animation from the surface's level.
    CTRLSURFHANDLE CreateControlSurface(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3& ref,
                                        int axis = AIRCTRL_AXIS_AUTO, UINT anim = (UINT)-1) const;
    // The host reads *drag through its address on every step.
    DRAGELEMHANDLE CreateVariableDragElement(const double* drag, double factor, const VECTOR3& ref) const;
    // An initial mass of -1 fills the tank to its maximum.
    PROPELLANT_HANDLE CreatePropellantResource(double maxmass, double mass = -1.0, double efficiency = 1.0) const;
    THRUSTER_HANDLE CreateThruster(const VECTOR3& pos, const VECTOR3& dir, double maxth0,
                                   PROPELLANT_HANDLE hp = nullptr, double isp0 = 0.0, double isp_ref = 0.0,
                                   double p_ref = 101.4e3) const;
    THGROUP_HANDLE CreateThrusterGroup(THRUSTER_HANDLE* th, int nth, THGROUP_TYPE type) const;
    // The host keeps the record's address and reads it every frame.
    void AddBeacon(BEACONLIGHTSPEC* bs);

    // Meshes.
    UINT AddMesh(MESHHANDLE hMesh, const VECTOR3* ofs = nullptr) const;
    // Replaces the mesh at index idx; returns the index used.
    UINT InsertMesh(MESHHANDLE hMesh, UINT idx, const VECTOR3* ofs = nullptr) const;
    void SetMeshVisibilityMode(UINT meshidx, WORD mode) const;

    // Animations.
    UINT CreateAnimation(double initial_state) const;
    // The host keeps the record's address.
    ANIMATIONCOMPONENT_HANDLE AddAnimationComponent(UINT anim, double state0, double state1,
                                                    MGROUP_TRANSFORM* trans,
                                                    ANIMATIONCOMPONENT_HANDLE parent = nullptr) const;
    void SetAnimation(UINT anim, double state) const;

    // Readings.
    double GetAirspeed() const;
    double GetAltitude() const;
    double GetAOA() const;
    double GetBank() const;
    bool GroundContact() const;
    double GetThrusterLevel(THRUSTER_HANDLE th) const;
    double GetControlSurfaceLevel(AIRCTRL_TYPE type) const;
    double GetFuelMass() const;

    // Actions.
    void SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const;
    void SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const;
    void SetFuelMass(double m) const;
    // A force in the vessel frame at a point of the vessel frame, for the current step only.
    void AddForce(const VECTOR3& F, const VECTOR3& r) const;

    // Interface generation: 1 for VESSEL, 2 once VESSEL2's constructor has run.
    int Version() const { return version; }

protected:
    int version;

private:
    OBJHANDLE hVessel;
    int flightmodel;
};

// The callbacks the host calls, in the order of the host's table. Every
// default does nothing and returns "not handled".
class OAPIFUNC VESSEL2 : public VESSEL {
public:
    VESSEL2(OBJHANDLE hVessel, int fmodel = 1);

    virtual void clbkSetClassCaps(FILEHANDLE cfg);
    virtual void clbkSaveState(FILEHANDLE scn);
    virtual void clbkLoadStateEx(FILEHANDLE scn, void* status);
    virtual void clbkSetStateEx(const void* status);
    virtual void clbkPostCreation();
    virtual void clbkFocusChanged(bool getfocus, OBJHANDLE hNewVessel, OBJHANDLE hOldVessel);
    virtual void clbkPreStep(double simt, double simdt, double mjd);
    virtual void clbkPostStep(double simt, double simdt, double mjd);
    virtual bool clbkPlaybackEvent(double simt, double event_t, const char* event_type, const char* event);
    virtual void clbkVisualCreated(VISHANDLE vis, int refcount);
    virtual void clbkVisualDestroyed(VISHANDLE vis, int refcount);
    virtual void clbkDrawHUD(int mode, const void* hps, HDC hDC);
    virtual void clbkRCSMode(int mode);
    virtual void clbkADCtrlMode(DWORD mode);
    virtual void clbkHUDMode(int mode);
    virtual void clbkMFDMode(int mfd, int mode);
    virtual void clbkNavMode(int mode, bool active);
    virtual void clbkDockEvent(int dock, OBJHANDLE mate);
    virtual void clbkAnimate(double simt);
    virtual int clbkConsumeDirectKey(char* kstate);
    // Result 1: the key was consumed.
    virtual int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate);
    virtual bool clbkLoadGenericCockpit();
    virtual bool clbkLoadPanel(int id);
    virtual bool clbkPanelMouseEvent(int id, int event, int mx, int my);
    virtual bool clbkPanelRedrawEvent(int id, int event, SURFHANDLE surf);
    // Result true: the virtual cockpit is supported.
    virtual bool clbkLoadVC(int id);
    virtual bool clbkVCMouseEvent(int id, int event, VECTOR3& p);
    virtual bool clbkVCRedrawEvent(int id, int event, SURFHANDLE surf);
};

#endif
