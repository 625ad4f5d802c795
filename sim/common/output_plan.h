// Refuses, before anything is opened for writing, an output that is the
// same file as an input or as another output. Files are compared by
// identity, not spelling: "a", "./a", "dir/../a", a hard link and a
// symbolic link to a are all a. An output that does not exist yet matches
// another output with the same canonical path. Devices and pipes are not
// compared (two outputs to /dev/null are fine); two outputs to standard
// output ("-") are refused, since their bytes would mix.
//
// Wiring:
//     OutputPlan plan;
//     plan.AddInput("the script", script_path);
//     plan.AddInput("the module", options.module_path);
//     plan.AddOutput("--trace", trace_path);   // empty path: not requested
//     plan.AddOutput("--csv", csv_path);
//     plan.Check();
// Check() throws CommandError: kExitBadInput for a clash ("--trace 'x' is
// the same file as the script 'y'"), then kExitOutputFailed for an output
// that CheckWritable() refuses.
#ifndef VANTOREL_SIM_COMMON_OUTPUT_PLAN_H
#define VANTOREL_SIM_COMMON_OUTPUT_PLAN_H

#include <string>
#include <vector>

namespace vantorel_sim {

// Whether writing to output would change the existing file input, or
// whether two outputs would land in the same file (see above).
bool SameFile(const std::string& a, const std::string& b);

class OutputPlan {
public:
    // label names the file in messages ("the script", "--trace"). An empty
    // path is skipped; "-" is standard input or output.
    void AddInput(std::string label, std::string path);
    void AddOutput(std::string label, std::string path);

    // Throws CommandError for the first clash, in the order added, then for
    // the first output that cannot be written.
    void Check() const;

private:
    struct Entry {
        std::string label;
        std::string path;
    };
    std::vector<Entry> inputs_;
    std::vector<Entry> outputs_;
};

}  // namespace vantorel_sim

#endif
