// `vantorel-sim render`: pictures of the meshes as the module animates them.
#ifndef VANTOREL_SIM_RENDER_RENDER_COMMAND_H
#define VANTOREL_SIM_RENDER_RENDER_COMMAND_H

#include <optional>
#include <string>
#include <utility>

namespace vantorel_sim {

int RunRenderCommand(int argc, char** argv);

// "WxH" or "N" (a square); nullopt unless both are 16 to 8192 pixels.
std::optional<std::pair<int, int>> ParseSize(const std::string& text);

}  // namespace vantorel_sim

#endif
