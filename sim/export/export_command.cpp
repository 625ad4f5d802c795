#include "export/export_command.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/cli_values.h"
#include "common/exit_codes.h"
#include "common/output_file.h"
#include "common/output_plan.h"
#include "common/standard_output.h"
#include "common/text_escape.h"
#include "export/gltf_export.h"

namespace vantorel_sim {

namespace {

void Error(const std::string& message) {
    std::fprintf(stderr, "vantorel-sim export: %s\n", MessageSafe(message).c_str());
}

struct Settings {
    std::string mesh_name = "exterior", out_path;
    SceneOptions scene;
};

constexpr const char* kFooter =
    "The file holds one node per mesh group, under the pivots of the components that\n"
    "move it, and one animation per vessel animation that moves this mesh, its time\n"
    "the animation's state (1 s = state 1). Metres; glTF +X is the vessel's right,\n"
    "+Y up, and the nose points to -Z (the vessel frame with z negated).\n"
    "More: docs/export.md.\n\n";

// The file in memory and every mesh file the scene may have read. The module
// runs in its scratch folder: when this returns, the scene is gone and the
// current folder is the user's again.
struct Exported {
    std::vector<std::uint8_t> glb;
    std::vector<std::string> meshes;
};

Exported Build(const Settings& s, MeshChoice choice) {
    VesselScene scene(s.scene);
    scene.SetLights(choice == MeshChoice::cockpit_lit);
    return {ExportGlb(scene, choice), scene.MeshFiles()};
}

// Checked against the module before loading it and against the meshes after,
// then written complete or not at all. Throws.
void Export(const Settings& s, MeshChoice choice) {
    OutputPlan plan;
    plan.AddInput("the module", ResolveSceneFiles(s.scene).module_path);
    const OutputPlan::Output out = plan.AddOutput("--out", s.out_path);
    plan.Check();
    const Exported exported = Build(s, choice);
    for (const std::string& mesh : exported.meshes) plan.AddInput("the mesh", mesh);
    plan.Check();
    plan.Open();
    plan.output_file(out)->Write(std::string_view(reinterpret_cast<const char*>(exported.glb.data()),
                                                  exported.glb.size()));
    plan.Commit();
}

}  // namespace

int RunExportCommand(int argc, char** argv) {
    CLI::App app("Write a mesh of the vessel with its animations as glTF 2.0 binary (.glb).", "vantorel-sim export");
    Settings s;
    app.add_option("--mesh", s.mesh_name, "exterior (default), cockpit or cockpit-lit")->type_name("MESH");
    app.add_option("--out", s.out_path, "write the glTF binary to FILE.glb ('-': standard output)")->type_name("FILE");
    app.add_option("--assets", s.scene.asset_dir, "folder holding Meshes/ (an install root works; default: the host's)")
        ->type_name("DIR");
    app.add_option("--module", s.scene.module_path,
                   "vessel module (default: DIR/Modules/Vantorel.so if there, else the one built with the runner)")
        ->type_name("PATH");
    app.footer(std::string(kFooter) + kExitCodesText);
    if (const auto status = ParseCommandLine(app, argc, argv, "export")) return *status;
    const auto choice = MeshNamed(s.mesh_name);
    if (!choice) {
        Error("--mesh must be exterior, cockpit or cockpit-lit, got '" + s.mesh_name + "'");
        return kExitBadInput;
    }
    if (s.out_path.empty()) {
        Error("nothing to write: give --out FILE.glb");
        return kExitBadInput;
    }
    int code = kExitSuccess;
    try {
        Export(s, *choice);
    } catch (const CommandError& e) {
        Error(e.what());
        code = e.exit_code();
    } catch (const std::exception& e) {
        Error(e.what());
        code = kExitRunFailed;
    }
    return FinishStandardOutput("export", code);
}

}  // namespace vantorel_sim
