// The vessel class the module defines. Only the animation handles, the one
// per-vessel animation record and the sound id are per vessel; everything else
// the callbacks keep lives in the module-wide state record.
#ifndef VANTOREL_MODULE_VANTOREL_VESSEL_H
#define VANTOREL_MODULE_VANTOREL_VESSEL_H

#include <Orbitersdk.h>

namespace vantorel {

class VantorelVessel final : public VESSEL2 {
public:
    VantorelVessel(OBJHANDLE hVessel, int flightmodel);
    ~VantorelVessel();
    VantorelVessel(const VantorelVessel&) = delete;
    VantorelVessel& operator=(const VantorelVessel&) = delete;

    // Host callbacks this class overrides; all others keep the host's defaults.
    void clbkSetClassCaps(FILEHANDLE cfg) override;
    void clbkPostCreation() override;
    void clbkPostStep(double simt, double simdt, double mjd) override;
    int clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) override;
    bool clbkLoadVC(int id) override;

    // Registers the 25 animations; run once by the constructor.
    void DefineAnimations();

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
