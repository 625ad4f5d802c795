// A fresh, empty current folder for as long as the module runs in a tool
// that only looks at it. The module writes its sound log into the current
// folder (its only diagnostic output, not to be changed for a tool), and
// render and check-assets must leave nothing but the outputs asked for.
//
// Wiring: construct before the module is loaded and destroy after it is
// unloaded; make every path the tool uses absolute first, since relative
// names resolve in the scratch folder meanwhile.
#ifndef VANTOREL_SIM_RENDER_SCRATCH_WORKING_FOLDER_H
#define VANTOREL_SIM_RENDER_SCRATCH_WORKING_FOLDER_H

#include <filesystem>

namespace vantorel_sim {

class ScratchWorkingFolder {
public:
    // Creates the folder in the system's temporary folder and enters it.
    // Throws std::runtime_error saying why it cannot.
    ScratchWorkingFolder();
    // Back to the folder before, the scratch folder removed with whatever
    // the module wrote there.
    ~ScratchWorkingFolder();
    ScratchWorkingFolder(const ScratchWorkingFolder&) = delete;
    ScratchWorkingFolder& operator=(const ScratchWorkingFolder&) = delete;

    const std::filesystem::path& path() const { return scratch_; }

private:
    std::filesystem::path previous_, scratch_;
    int log_slot_ = -1, folder_slot_ = -1;  // for the signal handler
};

}  // namespace vantorel_sim

#endif
