// vantorel-sim: fly and test the Vantorel vessel module without the simulator.
#include <cstdio>
#include <cstring>

#include "fly/fly_command.h"
#include "replay/replay_command.h"
#include "render/render_command.h"
#include "check/check_command.h"
#include "common/exit_codes.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "vantorel-sim: fly and test the Vantorel vessel module without the simulator\n"
        "\n"
        "usage:\n"
        "  vantorel-sim fly [SCRIPT] [options]     fly the aircraft (without SCRIPT: the built-in demonstration)\n"
        "  vantorel-sim replay SCRIPT [options]    replay a JSON Lines script and record every call\n"
        "  vantorel-sim render [options]           draw the meshes as the module animates them, to PNG\n"
        "  vantorel-sim check-assets [DIR]         check the meshes and sounds against the module\n"
        "\n"
        "Run 'vantorel-sim COMMAND --help' for the options of a command.\n\n",
        out);
    std::fputs(vantorel_sim::kExitCodesText, out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return vantorel_sim::kExitBadInput;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 || std::strcmp(command, "help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (std::strcmp(command, "replay") == 0) return vantorel_sim::RunReplayCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "fly") == 0) return vantorel_sim::RunFlyCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "render") == 0) return vantorel_sim::RunRenderCommand(argc - 1, argv + 1);
    if (std::strcmp(command, "check-assets") == 0) return vantorel_sim::RunCheckCommand(argc - 1, argv + 1);
    std::fprintf(stderr, "vantorel-sim: unknown command '%s'\n\n", command);
    PrintUsage(stderr);
    return 2;
}
