// DefineAnimations: registers the vessel's animations with the host. The host
// keeps the addresses of the component records and of their group arrays, so
// all of them have static storage; only the nose-wheel spin record is
// allocated per vessel, because it hangs below the vessel's own steering
// component.
#include "definition/animation_set.h"

#include <algorithm>
#include <new>

#include "lifecycle/vessel_state.h"

namespace vantorel {

namespace {

// Group numbers of each component, in their stored order.
const UINT grp_nose_steer[] = {36, 37, 38, 39, 40, 41, 42, 43, 44};
const UINT grp_nose_wheel[] = {46};
const UINT grp_main_wheel_left[] = {329};
const UINT grp_main_wheel_right[] = {330};
const UINT grp_nose_leg[] = {36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46};
const UINT grp_left_leg[] = {309, 310, 311, 312, 317, 319, 320, 321, 322, 323, 329};
const UINT grp_right_leg[] = {313, 314, 315, 316, 318, 324, 325, 326, 327, 328, 330};
const UINT grp_nose_doors[] = {6, 7, 8, 9, 10, 21, 22, 23, 24, 25};
const UINT grp_left_door[] = {14, 15, 16, 29, 30, 31};
const UINT grp_right_door[] = {11, 12, 13, 26, 27, 28};
const UINT grp_left_rear_door[] = {17, 18, 32, 33};
const UINT grp_right_rear_door[] = {19, 20, 34, 35};
const UINT grp_rudder_left[] = {335, 336, 337, 338, 339, 340};
const UINT grp_rudder_right[] = {341, 342, 343, 344, 345, 346};
const UINT grp_pedal_a[] = {175, 177};
const UINT grp_pedal_b[] = {174, 176};
const UINT grp_elevator_left[] = {335, 336, 337, 338, 339, 340};
const UINT grp_elevator_right[] = {341, 342, 343, 344, 345, 346};
const UINT grp_aileron_left[] = {1};
const UINT grp_aileron_right[] = {2};
const UINT grp_canopy_exterior[] = {
    75,  76,  77,  78,  79,  80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  94,
    95,  96,  97,  98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114,
    115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134,
    135, 136, 137, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154,
    155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 415, 416, 417, 418, 419};
const UINT grp_canopy_lever[] = {6, 7, 8};
const UINT grp_canopy_cockpit[] = {
    75,  76,  77,  78,  79,  80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  94,
    95,  96,  97,  98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114,
    115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134,
    135, 136, 137, 138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154,
    155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167};
const UINT grp_flap_left[] = {3};
const UINT grp_flap_right[] = {4};
const UINT grp_flap_indicator[] = {58};
const UINT grp_flap_lever[] = {60, 61};
const UINT grp_gear_lever[] = {69, 70};
const UINT grp_gear_lever_knob[] = {71, 72, 73};
const UINT grp_throttle[] = {266, 267, 268};
const UINT grp_alt_needle[] = {10};
const UINT grp_alt_ten_thousands_drum[] = {209, 210, 211, 212, 213, 214, 215, 216, 217, 218};
const UINT grp_alt_thousands_drum[] = {219, 220, 221, 222, 223, 224, 225, 226, 227, 228};
const UINT grp_alt_hundreds_drum[] = {179, 180, 181, 182, 183, 184, 185, 186, 187, 188};
const UINT grp_alt_tens_drum[] = {189, 190, 191, 192, 193, 194, 195, 196, 197, 198};
const UINT grp_alt_units_drum[] = {199, 200, 201, 202, 203, 204, 205, 206, 207, 208};
const UINT grp_aoa_needle[] = {5};
const UINT grp_heading_card[] = {233};
const UINT grp_airspeed_needle[] = {263, 264};
const UINT grp_bank_needle[] = {11, 271};
const UINT grp_clock_fast[] = {256};
const UINT grp_clock_mid[] = {251};
const UINT grp_clock_slow[] = {74};
const UINT grp_fuel_needle[] = {63};

template <std::size_t N>
constexpr UINT count_of(const UINT (&)[N]) {
    return static_cast<UINT>(N);
}

constexpr VECTOR3 NONE = {0.0, 0.0, 0.0};
constexpr VECTOR3 X_AXIS = {1.0, 0.0, 0.0};
constexpr VECTOR3 Y_AXIS = {0.0, 1.0, 0.0};
constexpr VECTOR3 Z_AXIS = {0.0, 0.0, 1.0};
constexpr VECTOR3 TAIL_AXIS = {0.143, 0.975, -0.172};
constexpr VECTOR3 LEFT_WING_AXIS = {1.0, 0.0, 1.0};
constexpr VECTOR3 RIGHT_WING_AXIS = {1.0, 0.0, -1.0};
constexpr VECTOR3 DRUM_REF_HIGH = {0.0, 0.319589, -0.129};
constexpr VECTOR3 DRUM_REF_LOW = {0.0, 0.319589, -0.1315};
constexpr VECTOR3 CLOCK_PIVOT = {0.4212073, -0.06707271, 0.0};

// The meshes a component moves groups of.
constexpr UINT EXT = layout::kExteriorMesh;
constexpr UINT VC = layout::kCockpitMesh;

#define ROT(anim, mesh, grp, ref, axis, deg, s0, s1, parent) \
    {layout::Index(layout::Animation::anim), false, mesh, grp, count_of(grp), ref, axis, deg, NONE, s0, s1, parent}
#define TRANS(anim, mesh, grp, shift, s0, s1) \
    {layout::Index(layout::Animation::anim), true, mesh, grp, count_of(grp), NONE, NONE, 0.0, shift, s0, s1, -1}

// Storage for one module-wide record of either kind, built on first use and
// never destroyed (no destructor is registered, so nothing runs at unload).
struct SharedRecordSlot {
    bool built;
    alignas(MGROUP_ROTATE) alignas(MGROUP_TRANSLATE) unsigned char
        bytes[std::max(sizeof(MGROUP_ROTATE), sizeof(MGROUP_TRANSLATE))];
    MGROUP_TRANSFORM* record;
};

SharedRecordSlot shared_records[COMPONENT_COUNT];

float StoredAngle(double angle_deg) { return static_cast<float>(angle_deg * RAD); }

UINT* Groups(const ComponentSpec& c) { return const_cast<UINT*>(c.groups); }

void BuildSharedRecord(int i) {
    const ComponentSpec& c = component_table[i];
    SharedRecordSlot& slot = shared_records[i];
    if (c.translate)
        slot.record = new (slot.bytes) MGROUP_TRANSLATE(c.mesh, Groups(c), c.group_count, c.shift);
    else
        slot.record = new (slot.bytes)
            MGROUP_ROTATE(c.mesh, Groups(c), c.group_count, c.ref, c.axis, StoredAngle(c.angle_deg));
    slot.built = true;
}

}  // namespace

const AnimationSpec animation_table[layout::kAnimationCount] = {
    {&VantorelVessel::anim_nose_steer, 0.5},
    {&VantorelVessel::anim_wheel_roll, 0.0},
    {&VantorelVessel::anim_gear, 0.0},
    {&VantorelVessel::anim_rudder, 0.5},
    {&VantorelVessel::anim_elevator, 0.5},
    {&VantorelVessel::anim_aileron_left, 0.5},
    {&VantorelVessel::anim_aileron_right, 0.5},
    {&VantorelVessel::anim_canopy, 0.0},
    {&VantorelVessel::anim_flaps, 0.5},
    {&VantorelVessel::anim_gear_lever, 0.0},
    {&VantorelVessel::anim_throttle, 0.0},
    {&VantorelVessel::anim_alt_needle, 0.0},
    {&VantorelVessel::anim_alt_ten_thousands_drum, 0.0},
    {&VantorelVessel::anim_alt_thousands_drum, 0.0},
    {&VantorelVessel::anim_alt_hundreds_drum, 0.0},
    {&VantorelVessel::anim_alt_tens_drum, 0.0},
    {&VantorelVessel::anim_alt_units_drum, 0.0},
    {&VantorelVessel::anim_aoa_needle, 0.0},
    {&VantorelVessel::anim_heading_card, 0.0},
    {&VantorelVessel::anim_airspeed_needle, 0.0},
    {&VantorelVessel::anim_bank_needle, 0.5},
    {&VantorelVessel::anim_clock_fast, 0.0},
    {&VantorelVessel::anim_clock_mid, 0.0},
    {&VantorelVessel::anim_clock_slow, 0.0},
    {&VantorelVessel::anim_fuel_needle, 0.0},
};

const ComponentSpec component_table[COMPONENT_COUNT] = {
    // Nose-wheel steering and the wheels; the nose wheel's spin follows the steering.
    ROT(nose_steer, EXT, grp_nose_steer, (VECTOR3{0, -0.2135228, 4.660895}), Y_AXIS, 90, 0, 1, -1),
    ROT(wheel_roll, EXT, grp_nose_wheel, (VECTOR3{0, -1.3201, 4.606005}), X_AXIS, 360, 0, 1, 0),
    ROT(wheel_roll, EXT, grp_main_wheel_left, (VECTOR3{0, -1.237542, -0.357916}), X_AXIS, 360, 0, 1, -1),
    ROT(wheel_roll, EXT, grp_main_wheel_right, (VECTOR3{0, -1.237542, -0.357916}), X_AXIS, 360, 0, 1, -1),
    // Gear: legs over 0-0.5, doors over 0.5-1, rear doors over 0.1-0.6.
    ROT(gear, EXT, grp_nose_leg, (VECTOR3{0, -0.2189643, 4.584713}), X_AXIS, -105, 0, 0.5, -1),
    ROT(gear, EXT, grp_left_leg, (VECTOR3{-1.470682, -0.2578211, -0.3803951}), X_AXIS, -105, 0, 0.5, -1),
    ROT(gear, EXT, grp_right_leg, (VECTOR3{1.470682, -0.2578211, -0.3803951}), X_AXIS, -105, 0, 0.5, -1),
    ROT(gear, EXT, grp_nose_doors, (VECTOR3{-0.2335168, -0.1487122, 6.08281}), Z_AXIS, 90, 0.5, 1, -1),
    ROT(gear, EXT, grp_left_door, (VECTOR3{-1.459599, -0.3626664, 1.36434}), Z_AXIS, -90, 0.5, 1, -1),
    ROT(gear, EXT, grp_right_door, (VECTOR3{1.459599, -0.3626664, 1.36434}), Z_AXIS, 90, 0.5, 1, -1),
    ROT(gear, EXT, grp_left_rear_door, (VECTOR3{-1.470682, -0.2578211, -0.6107915}), X_AXIS, -105, 0.1, 0.6, -1),
    ROT(gear, EXT, grp_right_rear_door, (VECTOR3{1.470682, -0.2578211, -0.6107915}), X_AXIS, -105, 0.1, 0.6, -1),
    // Tail surfaces as rudder, and the rudder pedals.
    ROT(rudder, EXT, grp_rudder_left, (VECTOR3{-0.6047022, 0.3360359, -5.595755}), TAIL_AXIS, -20, 0, 1, -1),
    ROT(rudder, EXT, grp_rudder_right, (VECTOR3{0.6047022, 0.3360359, -5.595755}), TAIL_AXIS, -20, 0, 1, -1),
    ROT(rudder, VC, grp_pedal_a, (VECTOR3{0, -0.2587604, 0.1553893}), X_AXIS, 33, 0, 1, -1),
    ROT(rudder, VC, grp_pedal_b, (VECTOR3{0, -0.2587604, 0.1553893}), X_AXIS, -33, 0, 1, -1),
    // The same tail surfaces as elevator.
    ROT(elevator, EXT, grp_elevator_left, (VECTOR3{-0.6047022, 0.3360359, -5.595755}), TAIL_AXIS, -20, 0, 1, -1),
    ROT(elevator, EXT, grp_elevator_right, (VECTOR3{0.6047022, 0.3360359, -5.595755}), TAIL_AXIS, 20, 0, 1, -1),
    ROT(aileron_left, EXT, grp_aileron_left, (VECTOR3{-3.86218, -0.1992677, -4.336602}), LEFT_WING_AXIS, -25, 0, 1, -1),
    ROT(aileron_right, EXT, grp_aileron_right, (VECTOR3{3.86218, -0.1992677, -4.336602}), RIGHT_WING_AXIS, 25, 0, 1, -1),
    // Canopy outside and inside, and its lever.
    ROT(canopy, EXT, grp_canopy_exterior, (VECTOR3{0, 1.389644, 3.87134}), X_AXIS, -39, 0, 1, -1),
    ROT(canopy, VC, grp_canopy_lever, (VECTOR3{0, -0.07207546, -0.1178391}), X_AXIS, -45, 0, 1, -1),
    ROT(canopy, VC, grp_canopy_cockpit, (VECTOR3{0, 0.9444854, -2.137072}), X_AXIS, -39, 0, 1, -1),
    // Flaps, the cockpit flap indicator and lever.
    ROT(flaps, EXT, grp_flap_left, (VECTOR3{-2.575044, -0.1992677, -2.742415}), LEFT_WING_AXIS, -27, 0, 1, -1),
    ROT(flaps, EXT, grp_flap_right, (VECTOR3{2.575044, -0.1992677, -2.742415}), RIGHT_WING_AXIS, -27, 0, 1, -1),
    ROT(flaps, VC, grp_flap_indicator, (VECTOR3{-0.2869548, -0.08058967, 0}), Z_AXIS, 145, 0, 1, -1),
    ROT(flaps, VC, grp_flap_lever, (VECTOR3{0, -0.07094558, -0.1197148}), X_AXIS, -95, 0, 1, -1),
    // Cockpit levers.
    ROT(gear_lever, VC, grp_gear_lever, (VECTOR3{0, 0.07211046, -0.1409099}), X_AXIS, 45, 0, 1, -1),
    TRANS(gear_lever, VC, grp_gear_lever_knob, (VECTOR3{0, 0, -0.002}), 0, 1),
    TRANS(throttle, VC, grp_throttle, (VECTOR3{0, 0, 0.15}), 0, 1),
    // Instruments.
    ROT(alt_needle, VC, grp_alt_needle, (VECTOR3{0.2328434, 0.3073601, 0}), Z_AXIS, -360, 0, 1, -1),
    ROT(alt_ten_thousands_drum, VC, grp_alt_ten_thousands_drum, DRUM_REF_HIGH, X_AXIS, 360, 0, 1, -1),
    ROT(alt_thousands_drum, VC, grp_alt_thousands_drum, DRUM_REF_HIGH, X_AXIS, 360, 0, 1, -1),
    ROT(alt_hundreds_drum, VC, grp_alt_hundreds_drum, DRUM_REF_LOW, X_AXIS, 360, 0, 1, -1),
    ROT(alt_tens_drum, VC, grp_alt_tens_drum, DRUM_REF_LOW, X_AXIS, 360, 0, 1, -1),
    ROT(alt_units_drum, VC, grp_alt_units_drum, DRUM_REF_LOW, X_AXIS, 360, 0, 1, -1),
    ROT(aoa_needle, VC, grp_aoa_needle, (VECTOR3{0.5363805, 0.07121998, 0}), Z_AXIS, 311, 0, 1, -1),
    ROT(heading_card, VC, grp_heading_card, (VECTOR3{-0.57394, -0.04508492, 0}), Z_AXIS, 360, 0, 1, -1),
    ROT(airspeed_needle, VC, grp_airspeed_needle, (VECTOR3{0.2749934, -0.09301734, 0}), Z_AXIS, 360, 0, 1, -1),
    ROT(bank_needle, VC, grp_bank_needle, (VECTOR3{0.0003878657, -0.1893478, 0}), Z_AXIS, -360, 0, 1, -1),
    ROT(clock_fast, VC, grp_clock_fast, CLOCK_PIVOT, Z_AXIS, -360, 0, 1, -1),
    ROT(clock_mid, VC, grp_clock_mid, CLOCK_PIVOT, Z_AXIS, -360, 0, 1, -1),
    ROT(clock_slow, VC, grp_clock_slow, CLOCK_PIVOT, Z_AXIS, -360, 0, 1, -1),
    ROT(fuel_needle, VC, grp_fuel_needle, (VECTOR3{0.5540832, -0.05151631, 0}), Z_AXIS, -360, 0, 1, -1),
};

#undef ROT
#undef TRANS

MGROUP_TRANSFORM* SharedComponentRecord(int i) {
    if (i < 0 || i >= COMPONENT_COUNT || !shared_records[i].built) return nullptr;
    return shared_records[i].record;
}

void VantorelVessel::DefineAnimations() {
    // 1. The per-vessel nose-wheel spin record. Without memory the vessel goes
    //    on without that one component rather than handing the host a null record.
    const ComponentSpec& spin = component_table[NOSE_WHEEL_ROLL_COMPONENT];
    nose_wheel_roll_transform = new (std::nothrow)
        MGROUP_ROTATE(spin.mesh, Groups(spin), spin.group_count, spin.ref, spin.axis, StoredAngle(spin.angle_deg));

    // 2. The module-wide records, each built once in the module's lifetime.
    for (int i = 0; i < COMPONENT_COUNT; ++i)
        if (i != NOSE_WHEEL_ROLL_COMPONENT && !shared_records[i].built) BuildSharedRecord(i);

    // 3 and 4. Animations in table order, each followed by its components.
    // The steering and wheel animations are created together first, because
    // the nose wheel's spin takes the steering component as its parent.
    ANIMATIONCOMPONENT_HANDLE added[COMPONENT_COUNT] = {};
    auto add_components_of = [&](int anim_index) {
        for (int i = 0; i < COMPONENT_COUNT; ++i) {
            const ComponentSpec& c = component_table[i];
            if (c.animation != anim_index) continue;
            MGROUP_TRANSFORM* record =
                i == NOSE_WHEEL_ROLL_COMPONENT ? nose_wheel_roll_transform : shared_records[i].record;
            if (!record) continue;
            ANIMATIONCOMPONENT_HANDLE parent = c.parent >= 0 ? added[c.parent] : nullptr;
            added[i] = AddAnimationComponent(this->*animation_table[anim_index].handle, c.state0, c.state1,
                                             record, parent);
        }
    };
    constexpr int steer = layout::Index(layout::Animation::nose_steer);
    constexpr int wheels = layout::Index(layout::Animation::wheel_roll);
    static_assert(steer == 0 && wheels == 1, "the steering and wheel animations come first");
    for (int a = steer; a <= wheels; ++a)
        this->*animation_table[a].handle = CreateAnimation(animation_table[a].initial_state);
    add_components_of(steer);
    add_components_of(wheels);
    for (int a = wheels + 1; a < layout::kAnimationCount; ++a) {
        this->*animation_table[a].handle = CreateAnimation(animation_table[a].initial_state);
        add_components_of(a);
    }
}

}  // namespace vantorel
