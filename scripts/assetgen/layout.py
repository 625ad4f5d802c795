"""Where the module expects things: group numbers, pivots, axes and touchdown
points of the vessel's animation components, its eye point and displays.

These repeat the module's own definition (module/definition/animation_set.cpp,
virtual_cockpit.cpp, vessel_constants.h, vessel_state.h, class_caps.cpp);
check-assets compares the geometry against the module's registered
components, so a drift here shows there.
"""

EXTERIOR_GROUPS = 420
COCKPIT_GROUPS = 332

# Exterior (mesh 0).
AILERON = {"left": 1, "right": 2}
FLAP = {"left": 3, "right": 4}
NOSE_STEER_GROUPS = list(range(36, 45))
NOSE_LEG_FIXED_GROUP = 45       # swings with the leg, does not steer
NOSE_WHEEL_GROUP = 46
MAIN_LEG_GROUPS = {"left": [309, 310, 311, 312, 317, 319, 320, 321, 322, 323],
                   "right": [313, 314, 315, 316, 318, 324, 325, 326, 327, 328]}
MAIN_WHEEL_GROUP = {"left": 329, "right": 330}
NOSE_DOOR_GROUPS = [6, 7, 8, 9, 10, 21, 22, 23, 24, 25]
MAIN_DOOR_GROUPS = {"left": [14, 15, 16, 29, 30, 31], "right": [11, 12, 13, 26, 27, 28]}
REAR_DOOR_GROUPS = {"left": [17, 18, 32, 33], "right": [19, 20, 34, 35]}
TAIL_GROUPS = {"left": list(range(335, 341)), "right": list(range(341, 347))}
CANOPY_GROUPS = list(range(75, 168)) + list(range(415, 420))

NOSE_STEER_REF = (0.0, -0.2135228, 4.660895)
NOSE_WHEEL_REF = (0.0, -1.3201, 4.606005)
MAIN_WHEEL_REF = (0.0, -1.237542, -0.357916)
NOSE_LEG_HINGE = (0.0, -0.2189643, 4.584713)
MAIN_LEG_HINGE_X, MAIN_LEG_HINGE = 1.470682, (-0.2578211, -0.3803951)   # (y, z)
NOSE_DOOR_HINGE = (-0.2335168, -0.1487122, 6.08281)
MAIN_DOOR_HINGE = (1.459599, -0.3626664, 1.36434)                       # right side
REAR_DOOR_HINGE = (1.470682, -0.2578211, -0.6107915)                    # right side
GEAR_SWING_DEG = -105.0
TAIL_REF = (0.6047022, 0.3360359, -5.595755)                            # right fin
TAIL_AXIS = (0.143, 0.975, -0.172)
AILERON_REF = (3.86218, -0.1992677, -4.336602)                          # right side
FLAP_REF = (2.575044, -0.1992677, -2.742415)
CANOPY_HINGE = (0.0, 1.389644, 3.87134)
BEACON = (5.327872, -0.325484, -5.451247)                               # right side
THRUST_POINT = (0.0, 0.0, -4.3)

TOUCHDOWN_NOSE = (0.0, -1.55953, 4.604074)
TOUCHDOWN_MAIN = (1.740703, -1.55953, -0.3588331)

# Cockpit (meshes 1 and 2), in cockpit-mesh coordinates.
COCKPIT_OFFSET = (0.0, 0.2, 4.5)
EYE_VESSEL = (0.0, 0.64, 2.71)
EYE = tuple(e - o for e, o in zip(EYE_VESSEL, COCKPIT_OFFSET))
HUD_CENTRE = tuple(h - o for h, o in zip((0.0, 0.64, 4.1), COCKPIT_OFFSET))
HUD_SIZE = 0.8
DISPLAY_GROUPS = {"left": 328, "right": 329, "third": 330}
HUD_GROUP = 331

CANOPY_LEVER_GROUPS, CANOPY_LEVER_PIVOT = [6, 7, 8], (0.0, -0.07207546, -0.1178391)
FLAP_LEVER_GROUPS, FLAP_LEVER_PIVOT = [60, 61], (0.0, -0.07094558, -0.1197148)
GEAR_LEVER_GROUPS, GEAR_LEVER_PIVOT = [69, 70], (0.0, 0.07211046, -0.1409099)
GEAR_KNOB_GROUPS = [71, 72, 73]
THROTTLE_GROUPS = [266, 267, 268]
PEDAL_GROUPS = {"a": [175, 177], "b": [174, 176]}
PEDAL_PIVOT = (0.0, -0.2587604, 0.1553893)
COCKPIT_CANOPY_GROUPS = list(range(75, 168))
COCKPIT_CANOPY_HINGE = (0.0, 0.9444854, -2.137072)

DRUM_REF_HIGH = (0.0, 0.319589, -0.129)
DRUM_REF_LOW = (0.0, 0.319589, -0.1315)
# Altimeter drums, most significant first: (groups of digits 0..9, axis point).
DRUMS = [(list(range(209, 219)), DRUM_REF_HIGH), (list(range(219, 229)), DRUM_REF_HIGH),
         (list(range(179, 189)), DRUM_REF_LOW), (list(range(189, 199)), DRUM_REF_LOW),
         (list(range(199, 209)), DRUM_REF_LOW)]
DRUM_TURN_DEG = 360.0  # about +x over the state 0..1

# Dial instruments: name -> (groups, pivot in the panel plane z = 0).
CLOCK_PIVOT = (0.4212073, -0.06707271, 0.0)
NEEDLES = {
    "altimeter": ([10], (0.2328434, 0.3073601, 0.0)),
    "aoa": ([5], (0.5363805, 0.07121998, 0.0)),
    "airspeed": ([263, 264], (0.2749934, -0.09301734, 0.0)),
    "bank": ([11, 271], (0.0003878657, -0.1893478, 0.0)),
    "fuel": ([63], (0.5540832, -0.05151631, 0.0)),
    "flap_indicator": ([58], (-0.2869548, -0.08058967, 0.0)),
    "clock_fast": ([256], CLOCK_PIVOT),
    "clock_mid": ([251], CLOCK_PIVOT),
    "clock_slow": ([74], CLOCK_PIVOT),
}
HEADING_CARD = ([233], (-0.57394, -0.04508492, 0.0))
