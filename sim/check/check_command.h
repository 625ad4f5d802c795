// `vantorel-sim check-assets [DIR]`: the meshes and sounds against the module.
#ifndef VANTOREL_SIM_CHECK_CHECK_COMMAND_H
#define VANTOREL_SIM_CHECK_CHECK_COMMAND_H

namespace vantorel_sim {

int RunCheckCommand(int argc, char** argv);

}  // namespace vantorel_sim

#endif
