// What the tools around the module may know of the vessel, kept in one
// place: the animations in creation order, the mesh indices, the display
// groups, the touchdown sets and the key codes. The module defines itself from
// these, so moving an animation or a display is one edit here. This header
// needs only the C++ standard library, so tools include it without the SDK.
#ifndef VANTOREL_DEFINITION_VESSEL_LAYOUT_H
#define VANTOREL_DEFINITION_VESSEL_LAYOUT_H

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace vantorel::layout {

// The 25 animations, in the order the vessel creates them: the host numbers
// its animations in this order, from 0.
enum class Animation : int {
    nose_steer,
    wheel_roll,
    gear,
    rudder,
    elevator,
    aileron_left,
    aileron_right,
    canopy,
    flaps,
    gear_lever,
    throttle,
    alt_needle,
    alt_ten_thousands_drum,
    alt_thousands_drum,
    alt_hundreds_drum,
    alt_tens_drum,
    alt_units_drum,
    aoa_needle,
    heading_card,
    airspeed_needle,
    bank_needle,
    clock_fast,
    clock_mid,
    clock_slow,
    fuel_needle,
};
constexpr int kAnimationCount = 25;

// The animations' names (the module's handle names without "anim_"), by index.
constexpr std::array<std::string_view, kAnimationCount> kAnimationNames = {
    "nose_steer",         "wheel_roll",         "gear",
    "rudder",             "elevator",           "aileron_left",
    "aileron_right",      "canopy",             "flaps",
    "gear_lever",         "throttle",           "alt_needle",
    "alt_ten_thousands_drum", "alt_thousands_drum", "alt_hundreds_drum",
    "alt_tens_drum",      "alt_units_drum",     "aoa_needle",
    "heading_card",       "airspeed_needle",    "bank_needle",
    "clock_fast",         "clock_mid",          "clock_slow",
    "fuel_needle",
};

constexpr int Index(Animation a) { return static_cast<int>(a); }
constexpr std::string_view Name(Animation a) { return kAnimationNames[static_cast<std::size_t>(a)]; }

// The animation of that name, if there is one.
constexpr std::optional<Animation> AnimationNamed(std::string_view name) {
    for (int i = 0; i < kAnimationCount; ++i)
        if (kAnimationNames[static_cast<std::size_t>(i)] == name) return static_cast<Animation>(i);
    return std::nullopt;
}

// Mesh indices as the vessel adds them.
constexpr unsigned kExteriorMesh = 0;
constexpr unsigned kCockpitMesh = 1;

// Mesh file names as the module asks the host for them ('\' separates folders).
constexpr std::string_view kExteriorMeshName = "Ombrix\\Vantorel";
constexpr std::string_view kCockpitMeshName = "Ombrix\\Vantorel-Cpit";
constexpr std::string_view kCockpitLitMeshName = "Ombrix\\Vantorel-Cpit_n";

// Groups of the cockpit mesh that the host draws displays on.
constexpr unsigned kLeftDisplayGroup = 328;
constexpr unsigned kRightDisplayGroup = 329;
constexpr unsigned kThirdDisplayGroup = 330;
constexpr unsigned kHudGroup = 331;

// The head-up display, in the vessel frame: its centre and size in metres.
constexpr std::array<double, 3> kHudCentre_m = {0.0, 0.64, 4.1};
constexpr double kHudSize_m = 0.8;

// Where the cockpit mesh is drawn from the vessel's origin, and the pilot's eye.
constexpr std::array<double, 3> kCockpitMeshOffset_m = {0.0, 0.2, 4.5};
constexpr std::array<double, 3> kEyePoint_m = {0.0, 0.64, 2.71};

// The touchdown sets: nose wheel, left main, right main (vessel frame, metres).
using TouchdownSet = std::array<std::array<double, 3>, 3>;
constexpr TouchdownSet kTouchdownGearDown = {{
    {0.0, -1.55953, 4.604074},
    {-1.740703, -1.55953, -0.3588331},
    {1.740703, -1.55953, -0.3588331},
}};
constexpr TouchdownSet kTouchdownGearUp = {{
    {0.0, -0.4268042, 4.013654},
    {-1.518829, -0.4268042, -1.547508},
    {1.518829, -0.4268042, -1.547508},
}};

// The keys the vessel takes (the host's key codes).
constexpr unsigned kKeyCanopy = 0x0B;     // OAPI_KEY_0
constexpr unsigned kKeyFlaps = 0x21;      // OAPI_KEY_F
constexpr unsigned kKeyGear = 0x22;       // OAPI_KEY_G
constexpr unsigned kKeyRefuel = 0x24;     // OAPI_KEY_J
constexpr unsigned kKeyLights = 0x25;     // OAPI_KEY_K

// Sound slots and the wave files the vessel loads into them.
constexpr int kSoundEngine = 1;
constexpr int kSoundGear = 2;
constexpr int kSoundFlaps = 3;
constexpr std::string_view kEngineWave = "Sound\\Vantorel\\Vantorel-Eng.wav";
constexpr std::string_view kFlapsWave = "Sound\\Vantorel\\Vantorel-Flaps.wav";
constexpr std::string_view kGearWave = "Sound\\Vantorel\\Vantorel-Gear.wav";

}  // namespace vantorel::layout

#endif
