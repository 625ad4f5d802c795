// clbkLoadVC: the single virtual-cockpit position. The host keeps the display
// records' addresses, so they have static storage.
#include "../module/vantorel_vessel.h"
#include "vessel_constants.h"

namespace vantorel {

namespace {

const VCHUDSPEC hud = {1, 331, {0.0, 0.64, 4.1}, 0.8};
const VCMFDSPEC mfd_left = {1, 328};
const VCMFDSPEC mfd_right = {1, 329};
const VCMFDSPEC mfd_third = {1, 330};

}  // namespace

bool VantorelVessel::clbkLoadVC(int /*id*/) {
    SetCameraOffset(EYE_POINT);
    SetCameraDefaultDirection(_V(0.0, 0.0, 1.0));
    SetCameraRotationRange(60 * RAD, 60 * RAD, 40 * RAD, 40 * RAD);
    oapiVCRegisterHUD(&hud);
    oapiVCRegisterMFD(MFD_LEFT, &mfd_left);
    oapiVCRegisterMFD(MFD_RIGHT, &mfd_right);
    oapiVCRegisterMFD(MFD_USER1, &mfd_third);
    return true;
}

}  // namespace vantorel
