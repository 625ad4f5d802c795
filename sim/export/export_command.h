// `vantorel-sim export`: a mesh of the vessel with its animations as glTF 2.0 binary.
#ifndef VANTOREL_SIM_EXPORT_EXPORT_COMMAND_H
#define VANTOREL_SIM_EXPORT_EXPORT_COMMAND_H

namespace vantorel_sim {

int RunExportCommand(int argc, char** argv);

}  // namespace vantorel_sim

#endif
