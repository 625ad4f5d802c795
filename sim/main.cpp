// vantorel-sim: fly and test the Vantorel vessel module without the simulator.
#include <cstdio>
#include <cstring>

#ifdef VANTOREL_HAVE_REPLAY
#include "replay/replay_command.h"
#endif
#ifdef VANTOREL_HAVE_FLY
#include "fly/fly_command.h"
#endif
#ifdef VANTOREL_HAVE_RENDER
#include "render/render_command.h"
#endif
#ifdef VANTOREL_HAVE_CHECK
#include "check/check_command.h"
#endif

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "vantorel-sim: fly and test the Vantorel vessel module without the simulator\n"
        "\n"
        "usage:\n"
#ifdef VANTOREL_HAVE_FLY
        "  vantorel-sim fly [SCRIPT] [options]     fly the aircraft (without SCRIPT: the built-in demonstration)\n"
#endif
#ifdef VANTOREL_HAVE_REPLAY
        "  vantorel-sim replay SCRIPT [options]    replay a JSON Lines script and record every call\n"
#endif
#ifdef VANTOREL_HAVE_RENDER
        "  vantorel-sim render [options]           draw the meshes as the module animates them, to PNG\n"
#endif
#ifdef VANTOREL_HAVE_CHECK
        "  vantorel-sim check-assets [DIR]         check the meshes and sounds against the module\n"
#endif
        "\n"
        "Run 'vantorel-sim COMMAND --help' for the options of a command.\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stdout);
        return 0;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0 || std::strcmp(command, "help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
#ifdef VANTOREL_HAVE_REPLAY
    if (std::strcmp(command, "replay") == 0) return vantorel_sim::RunReplayCommand(argc - 1, argv + 1);
#endif
#ifdef VANTOREL_HAVE_FLY
    if (std::strcmp(command, "fly") == 0) return vantorel_sim::RunFlyCommand(argc - 1, argv + 1);
#endif
#ifdef VANTOREL_HAVE_RENDER
    if (std::strcmp(command, "render") == 0) return vantorel_sim::RunRenderCommand(argc - 1, argv + 1);
#endif
#ifdef VANTOREL_HAVE_CHECK
    if (std::strcmp(command, "check-assets") == 0) return vantorel_sim::RunCheckCommand(argc - 1, argv + 1);
#endif
    std::fprintf(stderr, "vantorel-sim: unknown command '%s'\n\n", command);
    PrintUsage(stderr);
    return 2;
}
