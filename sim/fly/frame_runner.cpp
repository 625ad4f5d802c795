#include "fly/frame_runner.h"

#include "common/library_paths.h"
#include "flightmodel/units.h"

namespace vantorel_sim::fly {

namespace {

// The vessel, created with the libraries loaded and its tank as the script starts.
int StartVessel(host::Runtime& rt, const PilotScript& script, const FlyOptions& options) {
    if (options.sound) rt.load_sound_library(options.sound_path.empty() ? DefaultSoundLibraryPath() : options.sound_path);
    rt.load_module(options.module_path.empty() ? DefaultModulePath() : options.module_path);
    const int index = rt.create_vessel();
    rt.set_focus(index);
    if (script.start_fuel_kg) rt.set_fuel_mass_kg(index, *script.start_fuel_kg);
    return index;
}

}  // namespace

FrameRunner::FrameRunner(host::Runtime& rt, const PilotScript& script, const FlyOptions& options)
    : rt_(rt),
      write_state_(options.trace != nullptr),
      vessel_(StartVessel(rt, script, options)),
      model_(rt, vessel_),
      pilot_(model_) {
    model_.PlaceOnGround(script.start_heading_deg / host::flight::kDegPerRad);
}

void FrameRunner::RunFrame() {
    model_.RunFrame([this](double step_s) { pilot_.Update(step_s); });
    ++frames_;
    if (write_state_) rt_.write_state_event(vessel_);
}

void FrameRunner::Close() {
    rt_.set_frame(model_.frames() + 1);
    rt_.destroy_all_vessels();
    rt_.unload_module();
}

}  // namespace vantorel_sim::fly
