#include "common/output_plan.h"

#include <utility>

#include "common/exit_codes.h"
#include "common/standard_output.h"
#include "common/text_escape.h"

namespace vantorel_sim {

namespace {

constexpr int kStandardInput = 0, kStandardOutput = 1, kStandardError = 2;

std::string Named(const std::string& label, const std::string& path, bool input) {
    if (path == "-") return label + (input ? " (standard input)" : " (standard output)");
    return label + " '" + MessageSafe(path) + "'";
}

[[noreturn]] void Clash(const std::string& what, const std::string& other) {
    throw CommandError(kExitBadInput, what + " is the same file as " + other);
}

}  // namespace

void OutputPlan::AddInput(std::string label, std::string path) {
    if (!path.empty()) inputs_.push_back({std::move(label), std::move(path), {}, {}, false, {}});
}

OutputPlan::Output OutputPlan::AddOutput(std::string label, std::string path) {
    outputs_.push_back({std::move(label), std::move(path), {}, {}, false, {}});
    return outputs_.size() - 1;
}

// Looks every name up now: a file a check found missing may exist by the
// time the outputs are opened, but not through this run.
void OutputPlan::Resolve() {
    const FileIdentity standard_input = IdentityOfDescriptor(kStandardInput);
    const FileIdentity standard_output = IdentityOfDescriptor(kStandardOutput);
    for (Entry& in : inputs_) in.identity = in.path == "-" ? standard_input : IdentityOfPath(in.path);
    for (Entry& out : outputs_) {
        if (out.path.empty()) continue;
        out.identity = out.path == "-" ? standard_output : IdentityOfPath(out.path);
        out.standard_output = out.path == "-" || out.identity.SameDataAs(standard_output);
        out.target = out.identity.exists() ? std::string() : WriteTarget(out.path);
    }
}

void OutputPlan::Check() {
    Resolve();
    const FileIdentity standard_error = IdentityOfDescriptor(kStandardError);
    for (std::size_t i = 0; i < outputs_.size(); ++i) {
        const Entry& out = outputs_[i];
        if (out.path.empty()) continue;
        const std::string named = Named(out.label, out.path, false);
        for (const Entry& in : inputs_) {
            if (out.identity.SameDataAs(in.identity)) Clash(named, Named(in.label, in.path, true));
        }
        if (!out.standard_output && out.identity.SameDataAs(standard_error)) Clash(named, "standard error");
        for (std::size_t j = 0; j < i; ++j) {
            const Entry& earlier = outputs_[j];
            if (earlier.path.empty()) continue;
            if (out.standard_output && earlier.standard_output) {
                throw CommandError(kExitBadInput, Named(earlier.label, earlier.path, false) + " and " + named +
                                                      " would both write to standard output");
            }
            const bool same = out.identity.exists() ? out.identity.SameDataAs(earlier.identity)
                                                    : !earlier.identity.exists() && out.target == earlier.target;
            if (same) Clash(named, Named(earlier.label, earlier.path, false));
        }
    }
    for (const Entry& out : outputs_) {
        if (!out.path.empty() && !out.standard_output) CheckWritable(out.path, out.label);
    }
}

bool OutputPlan::writes_standard_output() const {
    for (const Entry& out : outputs_) {
        if (out.standard_output) return true;
    }
    return false;
}

void OutputPlan::Open() {
    for (Entry& out : outputs_) {
        if (out.path.empty() || out.file) continue;
        if (out.standard_output) {
            out.file.emplace(OutputFile::StandardOutput(out.path, out.label));
        } else {
            out.file.emplace(out.path, out.label);
        }
    }
}

std::FILE* OutputPlan::file(Output output) const {
    const Entry& out = outputs_.at(output);
    return out.file ? out.file->file() : nullptr;
}

OutputFile* OutputPlan::output_file(Output output) {
    Entry& out = outputs_.at(output);
    return out.file ? &*out.file : nullptr;
}

void OutputPlan::Finish() {
    for (Entry& out : outputs_) {
        if (out.file) out.file->Finish();
    }
    // Standard output is one of the run's outputs too: text that did not
    // arrive there fails the run before any file replaces another.
    if (const std::string error = StreamWriteError(stdout); !error.empty()) {
        StandardOutputFailureReported();
        throw CommandError(kExitOutputFailed, "cannot write to standard output: " + error);
    }
}

void OutputPlan::Commit() {
    try {
        Finish();
        for (Entry& out : outputs_) {
            if (out.file) out.file->Install();
        }
    } catch (...) {
        Discard();
        throw;
    }
}

void OutputPlan::Discard() {
    for (Entry& out : outputs_) {
        if (out.file) out.file->Discard();
    }
}

}  // namespace vantorel_sim
