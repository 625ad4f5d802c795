# The module's sources: the same list for the builds here (against the SDK
# stand-in) and for the simulator build (against the simulator's SDK).
set(VANTOREL_MODULE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VANTOREL_MODULE_SOURCES
  ${VANTOREL_MODULE_DIR}/lifecycle/module_entry.cpp
  ${VANTOREL_MODULE_DIR}/lifecycle/vantorel_vessel.cpp
  ${VANTOREL_MODULE_DIR}/lifecycle/vessel_state.cpp
  ${VANTOREL_MODULE_DIR}/definition/airfoil_coeffs.cpp
  ${VANTOREL_MODULE_DIR}/definition/animation_set.cpp
  ${VANTOREL_MODULE_DIR}/definition/class_caps.cpp
  ${VANTOREL_MODULE_DIR}/definition/virtual_cockpit.cpp
  ${VANTOREL_MODULE_DIR}/flight/post_step.cpp
  ${VANTOREL_MODULE_DIR}/flight/time_acceleration_cap.cpp
  ${VANTOREL_MODULE_DIR}/flight/flight_envelope.cpp
  ${VANTOREL_MODULE_DIR}/flight/ground_steering_couple.cpp
  ${VANTOREL_MODULE_DIR}/flight/touchdown_points.cpp
  ${VANTOREL_MODULE_DIR}/flight/wheel_rolling.cpp
  ${VANTOREL_MODULE_DIR}/flight/nose_wheel_steering.cpp
  ${VANTOREL_MODULE_DIR}/flight/gear_and_lever.cpp
  ${VANTOREL_MODULE_DIR}/flight/throttle_lever.cpp
  ${VANTOREL_MODULE_DIR}/flight/canopy_and_flaps.cpp
  ${VANTOREL_MODULE_DIR}/flight/engine_sound.cpp
  ${VANTOREL_MODULE_DIR}/flight/light_switch.cpp
  ${VANTOREL_MODULE_DIR}/flight/altitude_text.cpp
  ${VANTOREL_MODULE_DIR}/flight/altimeter.cpp
  ${VANTOREL_MODULE_DIR}/flight/flight_indicators.cpp
  ${VANTOREL_MODULE_DIR}/flight/clock.cpp
  ${VANTOREL_MODULE_DIR}/flight/fuel_gauge_and_refuel.cpp
  ${VANTOREL_MODULE_DIR}/flight/eye_point.cpp
  ${VANTOREL_MODULE_DIR}/flight/key_commands.cpp
  ${VANTOREL_MODULE_DIR}/sound/sound_connector.cpp
  ${VANTOREL_MODULE_DIR}/sound/post_creation.cpp
  ${VANTOREL_MODULE_DIR}/sound/sound_log.cpp
)
# Where the module's own sources find each other ("flight/step_blocks.h") and
# its published layout ("vantorel/vessel_layout.h"): nobody else gets the first.
set(VANTOREL_MODULE_INCLUDE_DIRS ${VANTOREL_MODULE_DIR} ${VANTOREL_MODULE_DIR}/include)
