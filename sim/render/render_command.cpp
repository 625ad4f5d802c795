#include "render/render_command.h"

#include "common/cli_values.h"
#include "common/exit_codes.h"
#include "common/output_plan.h"
#include "common/progress.h"
#include "common/standard_output.h"
#include "common/text_escape.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdio>

#include "render/contact_sheet.h"
#include "render/views.h"

namespace vantorel_sim {

namespace {

constexpr int kSheetColumns = 4;

void Error(const std::string& message) {
    std::fprintf(stderr, "vantorel-sim render: %s\n", MessageSafe(message).c_str());
}

bool ParseDimension(const std::string& text, int& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size() && out >= 16 && out <= 8192;
}

struct Settings {
    std::string view_name, mesh_name = "exterior", size_text, out_path, sheet_path;
    std::vector<std::string> states;
    bool flat = false, outline = false;
    SceneOptions scene;
};

// Checks the options and turns them into a request; false after saying why.
bool BuildRequest(const Settings& s, RenderRequest& r) {
    const auto mesh = MeshNamed(s.mesh_name);
    if (!mesh) {
        Error("--mesh must be exterior, cockpit or cockpit-lit, got '" + s.mesh_name + "'");
        return false;
    }
    r.mesh = *mesh;
    r.view = r.mesh == MeshChoice::exterior ? View::three_quarter : View::pilot;
    if (!s.view_name.empty()) {
        const auto view = ViewNamed(s.view_name);
        if (!view) {
            Error("--view must be front, side, top, three-quarter, underside or pilot, got '" + s.view_name + "'");
            return false;
        }
        r.view = *view;
    }
    if (!s.size_text.empty()) {
        const auto size = ParseSize(s.size_text);
        if (!size) {
            Error("--size must be WxH or N, 16 to 8192 pixels, got '" + s.size_text + "'");
            return false;
        }
        std::tie(r.width_px, r.height_px) = *size;
        if (static_cast<long>(r.width_px) * r.height_px > kMaxPicturePixels) {
            Error("--size " + s.size_text + " is " + std::to_string(static_cast<long>(r.width_px) * r.height_px) +
                  " pixels; a picture or sheet tile may have at most " + std::to_string(kMaxPicturePixels) +
                  " (4096x3072): drawing takes about 45 bytes a pixel");
            return false;
        }
    } else if (!s.sheet_path.empty()) {
        r.width_px = 400;
        r.height_px = 300;
    }
    for (const std::string& text : s.states) {
        try {
            r.states.push_back(ParseStateAssignment(text));
        } catch (const std::invalid_argument& e) {
            Error(std::string("--state ") + e.what());
            return false;
        }
    }
    r.draw.smooth = !s.flat;
    r.draw.outline = s.outline;
    if (s.out_path.empty() && s.sheet_path.empty()) {
        Error("nothing to write: give --out FILE.png or --sheet FILE.png");
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::pair<int, int>> ParseSize(const std::string& text) {
    const auto x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string::npos) {
        if (!ParseDimension(text, w)) return std::nullopt;
        return std::make_pair(w, w);
    }
    if (!ParseDimension(text.substr(0, x), w) || !ParseDimension(text.substr(x + 1), h)) return std::nullopt;
    return std::make_pair(w, h);
}

namespace {

// Draws with the module in its scratch folder and streams the pictures into
// the plan's open outputs; returns every mesh file the scene may have read.
// When this returns, the scene is gone and the current folder is the
// user's again.
std::vector<std::string> Draw(const Settings& s, const RenderRequest& request, OutputPlan& plan,
                              OutputPlan::Output out, OutputPlan::Output sheet) {
    VesselScene scene(s.scene);
    Progress progress("vantorel-sim render");
    if (std::FILE* file = plan.file(out)) {
        const Image picture = RenderView(
            scene, request, [&](double done) { progress.Update(done, [] { return std::string("drawing"); }); });
        EncodePng(picture, file, "--out '" + s.out_path + "'");
    }
    if (std::FILE* file = plan.file(sheet)) {
        const auto tiles = StandardTiles(request.width_px, request.height_px, request.draw);
        WriteContactSheet(scene, tiles, kSheetColumns, file, "--sheet '" + s.sheet_path + "'", [&](std::size_t i) {
            progress.Update(static_cast<double>(i + 1) / static_cast<double>(tiles.size()), [&] {
                return "sheet: tile " + std::to_string(i + 1) + " of " + std::to_string(tiles.size());
            });
        });
    }
    progress.Clear();
    return scene.MeshFiles();
}

// Outputs checked against the module before drawing, written to their
// temporaries while drawing (a sheet a row of tiles at a time), checked
// against the meshes read, and only then committed together. Throws.
void Render(const Settings& s, const RenderRequest& request) {
    OutputPlan plan;
    plan.AddInput("the module", ResolveSceneFiles(s.scene).module_path);
    const OutputPlan::Output out = plan.AddOutput("--out", s.out_path);
    const OutputPlan::Output sheet = plan.AddOutput("--sheet", s.sheet_path);
    plan.Check();
    plan.Open();
    for (const std::string& mesh : Draw(s, request, plan, out, sheet)) plan.AddInput("the mesh", mesh);
    plan.Check();  // an output onto a mesh read: refused, nothing replaced
    plan.Commit();
}

}  // namespace

int RunRenderCommand(int argc, char** argv) {
    CLI::App app("Draw the vessel's meshes as the module animates them, to PNG.", "vantorel-sim render");
    Settings s;
    app.add_option("--view", s.view_name, "front, side, top, three-quarter, underside or pilot (the eye in the cockpit)")
        ->type_name("VIEW");
    app.add_option("--mesh", s.mesh_name, "exterior (default), cockpit or cockpit-lit")->type_name("MESH");
    app.add_option("--state", s.states, "set an animation of the vessel, e.g. gear=1 (repeatable)")
        ->type_name("NAME=STATE");
    app.add_option("--size", s.size_text, "picture (or sheet tile) size in pixels (default 800x600; tiles 400x300)")
        ->type_name("WxH");
    app.add_option("--out", s.out_path, "write the picture to FILE.png")->type_name("FILE");
    app.add_option("--sheet", s.sheet_path, "write the contact sheet of the standard set to FILE.png")
        ->type_name("FILE");
    app.add_flag("--flat", s.flat, "flat shading (default smooth)");
    app.add_flag("--outline", s.outline, "outline every group");
    app.add_option("--assets", s.scene.asset_dir, "folder holding Meshes/ (an install root works; default: the host's)")
        ->type_name("DIR");
    app.add_option("--module", s.scene.module_path,
                   "vessel module (default: DIR/Modules/Vantorel.so if there, else the one built with the runner)")
        ->type_name("PATH");
    app.footer(std::string(kExitCodesText) +
               "Views and options: docs/render-and-check.md.");
    if (const auto status = ParseCommandLine(app, argc, argv, "render")) return *status;
    RenderRequest request;
    int code = kExitSuccess;
    try {
        if (!BuildRequest(s, request)) return kExitBadInput;
        Render(s, request);
    } catch (const CommandError& e) {
        Error(e.what());
        code = e.exit_code();
    } catch (const std::exception& e) {
        Error(e.what());
        code = kExitRunFailed;
    }
    return FinishStandardOutput("render", code);
}

}  // namespace vantorel_sim
