// Where vantorel-sim finds the vessel module and the stand-in sound library.
#ifndef VANTOREL_SIM_COMMON_LIBRARY_PATHS_H
#define VANTOREL_SIM_COMMON_LIBRARY_PATHS_H

#include <string>

namespace vantorel_sim {

// <dir of the running executable>/../lib/<file> when that file exists, so a
// copied or installed build finds its own libraries; otherwise the lib folder
// of the build that produced the executable.
std::string LibraryPath(const char* file);

std::string DefaultModulePath();        // Vantorel.so (Vantorel.dll on Windows)
std::string DefaultSoundLibraryPath();  // OrbiterSound.dll

}  // namespace vantorel_sim

#endif
