// The vessel class the module defines. Only the animation handles, the one
// per-vessel animation record and the sound id are per vessel; everything else
// the callbacks keep lives in the module-wide state record.
//
// Each member below is tagged with when the host calls it, in the order of a
// vessel's life, and names the file that implements it.
#ifndef VANTOREL_MODULE_VANTOREL_VESSEL_H
#define VANTOREL_MODULE_VANTOREL_VESSEL_H

#include <Orbitersdk.h>

namespace vantorel {

class VantorelVessel final : public VESSEL2 {
public:
    // [once per vessel, from ovcInit, before any callback]       vantorel_vessel.cpp
    // Loads the three meshes into the module-wide handles, then DefineAnimations.
    VantorelVessel(OBJHANDLE hVessel, int flightmodel);
    // [once per vessel, from ovcExit, after its last callback]   vantorel_vessel.cpp
    ~VantorelVessel();
    VantorelVessel(const VantorelVessel&) = delete;
    VantorelVessel& operator=(const VantorelVessel&) = delete;

    // [once per vessel, from the constructor]                    animation_set.cpp
    // Registers the 25 animations and stores their handles.
    void DefineAnimations();

    // Host callbacks this class overrides; all others keep the host's defaults.

    // [once per vessel, after construction]                      class_caps.cpp
    // The vessel's whole static description: mass, drag, airfoils, control
    // surfaces, tank, engine, beacons, touchdown points, meshes.
    void clbkSetClassCaps(FILEHANDLE cfg) override;
    // [once per vessel, after clbkSetClassCaps set its state]    post_creation.cpp
    // Connects to the sound library, loads the waves, silences stock sounds.
    void clbkPostCreation() override;
    // [every step, after the host advanced the simulation]       post_step.cpp
    // The per-step blocks in their fixed order.
    void clbkPostStep(double simt, double simdt, double mjd) override;
    // [per key event of the focus vessel, press or release]      key_commands.cpp
    // Turns a key into a command the next step carries out; 1: consumed.
    int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override;
    // [when the pilot enters the cockpit view]                   virtual_cockpit.cpp
    // Eye point, head range, head-up display and displays; true: supported.
    bool clbkLoadVC(int id) override;

    // Animation handles, set by DefineAnimations.
    UINT anim_wheel_roll = 0;
    UINT anim_gear = 0;
    UINT anim_gear_lever = 0;
    UINT anim_rudder = 0;
    UINT anim_elevator = 0;
    UINT anim_aileron_left = 0;
    UINT anim_aileron_right = 0;
    UINT anim_canopy = 0;
    UINT anim_flaps = 0;
    UINT anim_throttle = 0;
    UINT anim_alt_needle = 0;
    UINT anim_alt_units_drum = 0;
    UINT anim_alt_tens_drum = 0;
    UINT anim_alt_hundreds_drum = 0;
    UINT anim_alt_thousands_drum = 0;
    UINT anim_alt_ten_thousands_drum = 0;
    UINT anim_fuel_needle = 0;
    UINT anim_nose_steer = 0;
    UINT anim_aoa_needle = 0;
    UINT anim_heading_card = 0;
    UINT anim_airspeed_needle = 0;
    UINT anim_bank_needle = 0;
    UINT anim_clock_fast = 0;
    UINT anim_clock_mid = 0;
    UINT anim_clock_slow = 0;
    // Owned: the nose-wheel spin component, the only record that follows the vessel.
    MGROUP_ROTATE* nose_wheel_roll_transform = nullptr;
    // Id in the sound library, or -1 without a connection.
    int sound_id = -1;
};

}  // namespace vantorel

#endif
