#include "common/cli_values.h"

#include <cstdio>
#include <string>

#include "common/exit_codes.h"
#include "common/standard_output.h"
#include "common/text_escape.h"

namespace vantorel_sim {

void RefuseEmptyValues(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_type_size() == 0) continue;  // a flag takes no value
        for (const std::string& value : option->results()) {
            if (!value.empty()) continue;
            const bool positional = option->get_lnames().empty() && option->get_snames().empty();
            const std::string leave_out =
                option->get_required() ? "" : std::string(", or leave ") + (positional ? "it" : "the option") + " out";
            throw CommandError(kExitBadInput, option->get_name(positional) + ": the value is empty (give " +
                                                  option->get_type_name() + leave_out + ")");
        }
    }
}

std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv, const char* job) {
    std::string error;
    try {
        app.parse(argc, argv);
        RefuseEmptyValues(app);
        return std::nullopt;
    } catch (const CLI::Success& e) {
        return FinishStandardOutput(job, app.exit(e));
    } catch (const CLI::ParseError& e) {
        error = std::string(e.what()) + " (--help lists the options)";
    } catch (const CommandError& e) {
        error = e.what();
    }
    std::fprintf(stderr, "vantorel-sim %s: %s\n", job, MessageSafe(error).c_str());
    return kExitBadInput;
}

}  // namespace vantorel_sim
