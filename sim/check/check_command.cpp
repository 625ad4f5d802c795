#include "check/check_command.h"

#include "common/exit_codes.h"
#include "common/progress.h"
#include "common/standard_output.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <set>

#include "check/asset_check.h"

namespace vantorel_sim {

namespace {

constexpr int kExitFindings = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLoad = kExitRunFailed;  // as for every job: the run failed

}  // namespace

int RunCheckCommand(int argc, char** argv) {
    CLI::App app("Check the vessel's meshes and wave files against the components the module registers.",
                 "vantorel-sim check-assets");
    SceneOptions options;
    std::vector<int> rules;
    app.add_option("DIR", options.asset_dir,
                   "folder holding Meshes/ and Sound/ (an install root works; default: the host's asset folder)");
    app.add_option("--module", options.module_path,
                   "vessel module (default: DIR/Modules/Vantorel.so if there, else the one built with the runner)")
        ->type_name("PATH");
    app.add_option("--rule", rules, "run only these rules (1 to 7, repeatable)")->check(CLI::Range(1, 7));
    app.footer("One line per finding, naming the group, the component and the distance.\n"
               "Findings, like a module that cannot be loaded, end with status 1.\n" +
               std::string(kExitCodesText) + "Rules: docs/render-and-check.md.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kExitUsage;
    }
    std::vector<check::Finding> findings;
    try {
        VesselScene scene(options);
        check::CheckContext context(scene);
        Progress progress("vantorel-sim check-assets");
        context.SetProgress([&](double done, const std::string& what) { progress.Update(done, [&] { return what; }); });
        findings = check::CheckAll(context);
        progress.Clear();
        std::printf("checked %s with %s: %zu components\n", scene.asset_dir().c_str(), scene.module_path().c_str(),
                    context.parts().size());
    } catch (const SceneError& e) {
        std::fprintf(stderr, "vantorel-sim check-assets: %s\n", e.what());
        return kExitLoad;
    }
    const std::set<int> only(rules.begin(), rules.end());
    std::size_t shown = 0;
    for (const auto& f : findings) {
        if (!only.empty() && !only.count(f.rule)) continue;
        std::printf("rule %d: %s\n", f.rule, f.text.c_str());
        ++shown;
    }
    std::printf("%zu finding%s\n", shown, shown == 1 ? "" : "s");
    return FinishStandardOutput("check-assets", shown == 0 ? 0 : kExitFindings);
}

}  // namespace vantorel_sim
