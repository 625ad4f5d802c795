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

// The most pixels a picture or sheet tile may have. Drawing takes about 45
// bytes a pixel (twice the size each way: colour and depth), 65 with
// outlines, so a picture at the limit stays under a gigabyte; a sheet holds
// one row of its tiles at a time.
constexpr long kMaxPicturePixels = 4096L * 3072;

}  // namespace vantorel_sim

#endif
