#include "check/check_command.h"

#include "common/cli_values.h"
#include "common/exit_codes.h"
#include "common/progress.h"
#include "common/standard_output.h"
#include "common/text_escape.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <set>

#include "check/asset_check.h"

namespace vantorel_sim {

namespace {

constexpr int kExitFindings = 1;

void Error(const std::string& message) {
    std::fprintf(stderr, "vantorel-sim check-assets: %s\n", MessageSafe(message).c_str());
}

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    NoteWriteResult(stdout);
}

// Runs the rules with the module in its scratch folder; prints the header
// line. Throws SceneError.
std::vector<check::Finding> Check(const SceneOptions& options) {
    VesselScene scene(options);
    check::CheckContext context(scene);
    Progress progress("vantorel-sim check-assets");
    context.SetProgress([&](double done, const std::string& what) { progress.Update(done, [&] { return what; }); });
    std::vector<check::Finding> findings = check::CheckAll(context);
    progress.Clear();
    Print("checked " + MessageSafe(scene.files().asset_dir) + " with " + MessageSafe(scene.files().module_path) +
          ": " + std::to_string(context.parts().size()) + " components");
    return findings;
}

}  // namespace

int RunCheckCommand(int argc, char** argv) {
    CLI::App app("Check the vessel's meshes and wave files against the components the module registers.",
                 "vantorel-sim check-assets");
    SceneOptions options;
    std::vector<int> rules;
    app.add_option("DIR", options.asset_dir,
                   "folder holding Meshes/ and Sound/ (an install root works; default: the host's asset folder)")
        ->type_name("DIR");
    app.add_option("--module", options.module_path,
                   "vessel module (default: DIR/Modules/Vantorel.so if there, else the one built with the runner)")
        ->type_name("PATH");
    app.add_option("--rule", rules, "run only these rules (1 to 7, repeatable)")->check(CLI::Range(1, 7));
    app.footer("One line per finding, naming the group, the component and the distance.\n"
               "Findings, like a module that cannot be loaded, end with status 1.\n" +
               std::string(kExitCodesText) + "Rules: docs/render-and-check.md.");
    if (const auto status = ParseCommandLine(app, argc, argv, "check-assets")) return *status;
    std::vector<check::Finding> findings;
    try {
        findings = Check(options);
    } catch (const std::exception& e) {
        Error(e.what());
        return FinishStandardOutput("check-assets", kExitRunFailed);
    }
    const std::set<int> only(rules.begin(), rules.end());
    std::size_t shown = 0;
    for (const auto& f : findings) {
        if (!only.empty() && !only.count(f.rule)) continue;
        Print("rule " + std::to_string(f.rule) + ": " + MessageSafe(f.text));
        ++shown;
    }
    Print(std::to_string(shown) + " finding" + (shown == 1 ? "" : "s"));
    return FinishStandardOutput("check-assets", shown == 0 ? 0 : kExitFindings);
}

}  // namespace vantorel_sim
