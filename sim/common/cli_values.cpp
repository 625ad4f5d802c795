#include "common/cli_values.h"

#include <string>

#include "common/exit_codes.h"

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

}  // namespace vantorel_sim
