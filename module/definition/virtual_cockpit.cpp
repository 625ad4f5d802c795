// clbkLoadVC: the single virtual-cockpit position. The host keeps the display
// records' addresses, so they have static storage.
#include "lifecycle/vantorel_vessel.h"
#include "definition/vessel_constants.h"

namespace vantorel {

namespace {

using layout::kCockpitMesh;

const VCHUDSPEC hud = {kCockpitMesh, layout::kHudGroup, ToVector(layout::kHudCentre_m), layout::kHudSize_m};
const VCMFDSPEC mfd_left = {kCockpitMesh, layout::kLeftDisplayGroup};
const VCMFDSPEC mfd_right = {kCockpitMesh, layout::kRightDisplayGroup};
const VCMFDSPEC mfd_third = {kCockpitMesh, layout::kThirdDisplayGroup};

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
