// vantorel-sim: fly and test the Vantorel vessel module without the simulator.
#include <cstdio>
#include <cstring>

#include "common/exit_codes.h"
#include "common/platform.h"
#include "common/standard_output.h"
#include "common/text_escape.h"
#include "replay/replay_command.h"
#ifndef VANTOREL_SIM_REPLAY_ONLY
#include "check/check_command.h"
#include "export/export_command.h"
#include "fly/fly_command.h"
#include "render/render_command.h"
#endif

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "vantorel-sim: fly and test the Vantorel vessel module without the simulator\n"
        "\n"
        "usage:\n"
        "  vantorel-sim fly [SCRIPT] [options]     fly the aircraft (without SCRIPT: the built-in demonstration)\n"
        "  vantorel-sim replay SCRIPT [options]    replay a JSON Lines script and record every call\n"
        "  vantorel-sim render [options]           draw the meshes as the module animates them, to PNG\n"
        "  vantorel-sim export [options]           write a mesh and its animations as glTF binary (.glb)\n"
        "  vantorel-sim check-assets [DIR]         check the meshes and sounds against the module\n"
        "\n"
        "Run 'vantorel-sim COMMAND --help' for the options of a command.\n\n",
        out);
    std::fputs(vantorel_sim::kExitCodesText, out);
}

}  // namespace

int main(int argc, char** argv) {
    // Traces are compared byte for byte: no CRLF on any platform.
    vantorel_sim::platform::SetBinaryMode(stdout);
    if (argc < 2) {
        PrintUsage(stderr);
        return vantorel_sim::kExitBadInput;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 || std::strcmp(command, "help") == 0) {
        PrintUsage(stdout);
        return vantorel_sim::FinishStandardOutput("", vantorel_sim::kExitSuccess);
    }
    if (std::strcmp(command, "replay") == 0) return vantorel_sim::RunReplayCommand(argc - 1, argv + 1);
#ifndef VANTOREL_SIM_REPLAY_ONLY
    if (std::strcmp(command, "fly") == 0) return vantorel_sim::RunFlyCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "render") == 0) return vantorel_sim::RunRenderCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "export") == 0) return vantorel_sim::RunExportCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "check-assets") == 0) return vantorel_sim::RunCheckCommand(argc - 1, argv + 1);
#else
    if (std::strcmp(command, "fly") == 0 || std::strcmp(command, "render") == 0 ||
        std::strcmp(command, "export") == 0 || std::strcmp(command, "check-assets") == 0) {
        std::fprintf(stderr, "vantorel-sim: '%s' is not part of this build (the Windows test build has replay only)\n",
                     vantorel_sim::MessageSafe(command).c_str());
        return 2;
    }
#endif
    std::fprintf(stderr, "vantorel-sim: unknown command '%s'\n\n", vantorel_sim::MessageSafe(command).c_str());
    PrintUsage(stderr);
    return 2;
}
