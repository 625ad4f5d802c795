#include "common/output_plan.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "common/exit_codes.h"
#include "common/output_file.h"
#include "common/text_escape.h"

namespace vantorel_sim {

namespace fs = std::filesystem;

namespace {

std::string Named(const std::string& label, const std::string& path) {
    return label + " '" + MessageSafe(path) + "'";
}

fs::path Canonical(const std::string& path) {
    std::error_code ec;
    fs::path result = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? fs::absolute(path, ec).lexically_normal() : result;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    if (a == "-" || b == "-") return a == b;
    std::error_code ec_a, ec_b;
    const fs::file_status status_a = fs::status(a, ec_a);
    const fs::file_status status_b = fs::status(b, ec_b);
    const bool exists_a = fs::exists(status_a), exists_b = fs::exists(status_b);
    if (exists_a != exists_b) return false;
    if (!exists_a) return Canonical(a) == Canonical(b);
    // Only regular files hold data a write could destroy.
    if (!fs::is_regular_file(status_a) || !fs::is_regular_file(status_b)) return false;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

void OutputPlan::AddInput(std::string label, std::string path) {
    if (!path.empty()) inputs_.push_back({std::move(label), std::move(path)});
}

void OutputPlan::AddOutput(std::string label, std::string path) {
    if (!path.empty()) outputs_.push_back({std::move(label), std::move(path)});
}

void OutputPlan::Check() const {
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        const Entry& out = outputs_[i];
        for (const Entry& in : inputs_) {
            // Standard input and standard output are different streams.
            if (in.path == "-" || out.path == "-") continue;
            if (SameFile(out.path, in.path)) {
                throw CommandError(kExitBadInput,
                                   Named(out.label, out.path) + " is the same file as " + Named(in.label, in.path));
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            const Entry& earlier = outputs_[j];
            if (out.path == "-" && earlier.path == "-") {
                throw CommandError(kExitBadInput,
                                   earlier.label + " and " + out.label + " would both write to standard output");
            }
            if (SameFile(out.path, earlier.path)) {
                throw CommandError(kExitBadInput, Named(out.label, out.path) + " is the same file as " +
                                                      Named(earlier.label, earlier.path));
            }
        }
    }
    for (const Entry& out : outputs_) CheckWritable(out.path, out.label);
}

}  // namespace vantorel_sim
