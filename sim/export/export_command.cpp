#include "export/export_command.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/exit_codes.h"
#include "common/output_file.h"
#include "common/output_plan.h"
#include "common/standard_output.h"
#include "common/text_escape.h"
#include "vantorel/vessel_layout.h"
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

// Writes the file complete or not at all; the mesh read is refused as the output.
void Export(const Settings& s, MeshChoice choice) {
    VesselScene scene(s.scene);
    scene.SetLights(choice == MeshChoice::cockpit_lit);
    const unsigned index = choice == MeshChoice::exterior ? vantorel::layout::kExteriorMesh
                                                          : vantorel::layout::kCockpitMesh;
    OutputPlan plan;
    plan.AddInput("the mesh", scene.MeshPath(index));
    plan.AddOutput("--out", s.out_path);
    plan.Check();
    const std::vector<std::uint8_t> glb = ExportGlb(scene, choice);
    OutputFile out(s.out_path, "the glTF file");
    // One large write fails there, not at the flush: keep the system's reason.
    if (std::fwrite(glb.data(), 1, glb.size(), out.file()) != glb.size()) {
        const int error = errno;
        out.Discard();
        throw CommandError(kExitOutputFailed,
                           "cannot write the glTF file '" + s.out_path + "': " + std::strerror(error));
    }
    out.Commit();
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
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return FinishStandardOutput("export", app.exit(e));
    } catch (const CLI::ParseError& e) {
        Error(std::string(e.what()) + " (--help lists the options)");
        return kExitBadInput;
    }
    const auto choice = MeshNamed(s.mesh_name);
    if (!choice) {
        Error("--mesh must be exterior, cockpit or cockpit-lit, got '" + s.mesh_name + "'");
        return kExitBadInput;
    }
    if (s.out_path.empty()) {
        Error("nothing to write: give --out FILE.glb");
        return kExitBadInput;
    }
    try {
        OutputPlan plan;
        plan.AddInput("the module", s.scene.module_path);
        plan.AddOutput("--out", s.out_path);
        plan.Check();
        Export(s, *choice);
    } catch (const CommandError& e) {
        Error(e.what());
        return e.exit_code();
    } catch (const std::exception& e) {
        Error(e.what());
        return kExitRunFailed;
    }
    return FinishStandardOutput("export", kExitSuccess);
}

}  // namespace vantorel_sim
