// `vantorel-sim fly [SCRIPT] [options]`: fly the aircraft with the stand-in
// host's flight model, the built-in demonstration flight without SCRIPT.
#ifndef VANTOREL_SIM_FLY_FLY_COMMAND_H
#define VANTOREL_SIM_FLY_FLY_COMMAND_H

namespace vantorel_sim {

// argv[0] is "fly". Returns the process exit status.
int RunFlyCommand(int argc, char** argv);

}  // namespace vantorel_sim

#endif
