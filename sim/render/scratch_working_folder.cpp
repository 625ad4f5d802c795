#include "render/scratch_working_folder.h"

#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "common/signal_cleanup.h"

namespace vantorel_sim {

namespace fs = std::filesystem;

namespace {

// The file the module writes; a signal handler cannot list a folder, so it
// removes this one by name before the folder.
constexpr const char* kModuleLog = "OrbiterSound_Log.txt";

}  // namespace

ScratchWorkingFolder::ScratchWorkingFolder() {
    std::error_code ec;
    previous_ = fs::current_path(ec);
    if (ec) throw std::runtime_error("cannot find the current folder: " + ec.message());
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) throw std::runtime_error("no temporary folder for the module's files: " + ec.message());
    std::random_device random;
    for (int attempt = 0; scratch_.empty(); ++attempt) {
        const fs::path candidate = base / ("vantorel-sim-" + std::to_string(random() % 1000000000u));
        const SignalBlock block;
        folder_slot_ = RegisterForCleanup(candidate.string(), CleanupKind::kFolder);
        if (fs::create_directory(candidate, ec)) {
            scratch_ = candidate;
            break;
        }
        ReleaseCleanup(folder_slot_);
        folder_slot_ = -1;
        if (ec || attempt == 100) {
            throw std::runtime_error("cannot create a folder in '" + base.string() + "' for the module's files: " +
                                     (ec ? ec.message() : "every name taken"));
        }
    }
    log_slot_ = RegisterForCleanup((scratch_ / kModuleLog).string(), CleanupKind::kFile);
    fs::current_path(scratch_, ec);
    if (ec) {
        fs::remove(scratch_, ec);
        ReleaseCleanup(log_slot_);
        ReleaseCleanup(folder_slot_);
        throw std::runtime_error("cannot enter a scratch folder for the module's files: " + ec.message());
    }
}

ScratchWorkingFolder::~ScratchWorkingFolder() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(scratch_, ec);
    ReleaseCleanup(log_slot_);
    ReleaseCleanup(folder_slot_);
}

}  // namespace vantorel_sim
