// `vantorel-sim replay SCRIPT [--trace OUT] [--vessels N] [--flight-model N]
// [--no-sound] [--module PATH]`.
#ifndef VANTOREL_SIM_REPLAY_REPLAY_COMMAND_H
#define VANTOREL_SIM_REPLAY_REPLAY_COMMAND_H

namespace vantorel_sim {

// argv[0] is "replay". Exit status: 0 done, 1 the module (or the sound
// library) cannot be loaded, 2 an unusable script or command line.
int RunReplayCommand(int argc, char** argv);

}  // namespace vantorel_sim

#endif
