// An output that is the same file as an input or another output is refused
// before anything is written, whatever the spelling.
#include "common/output_plan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "scratch_dir.h"

namespace {

using namespace vantorel_sim;
using test_support::Entries;
using test_support::ReadFile;
using test_support::ScratchDir;
using test_support::WriteFile;
namespace fs = std::filesystem;

struct Out {
    const char* label;
    std::string path;
};

struct PlanCase {
    const char* name;
    std::vector<Out> outputs;
    ExitCode code;                // kExitSuccess: accepted
    std::string message_start;    // the message starts with this
};

// s.jsonl (the script), m.so (the module), hard link h and symbolic link l
// to the script, folder d.
class OutputPlanTest : public testing::Test {
protected:
    OutputPlanTest() {
        WriteFile(dir / "s.jsonl", "{}\n");
        WriteFile(dir / "m.so", "module");
        fs::create_hard_link(dir / "s.jsonl", dir / "h");
        fs::create_symlink("s.jsonl", dir.path() / "l");
        fs::create_directory(dir.path() / "d");
        fs::create_symlink("x", dir.path() / "dangling");
        // The same folder spelled relative to the working directory.
        rel = fs::relative(dir.path()).string();
    }

    void Expect(const PlanCase& c) {
        OutputPlan plan;
        plan.AddInput("the script", dir / "s.jsonl");
        plan.AddInput("the module", dir / "m.so");
        plan.AddInput("the sound library", "");
        for (const Out& out : c.outputs) plan.AddOutput(out.label, out.path);
        std::string message;
        ExitCode code = kExitSuccess;
        try {
            plan.Check();
        } catch (const CommandError& e) {
            code = e.exit_code();
            message = e.what();
        }
        EXPECT_EQ(code, c.code) << c.name << ": " << message;
        EXPECT_EQ(message.rfind(c.message_start, 0), 0u) << c.name << ": " << message;
        EXPECT_EQ(ReadFile(dir / "s.jsonl"), "{}\n") << c.name;
        EXPECT_EQ(ReadFile(dir / "m.so"), "module") << c.name;
    }

    ScratchDir dir;
    std::string rel;
};

TEST_F(OutputPlanTest, RefusesAnOutputThatIsAnInputWhateverTheSpelling) {
    const std::string d = dir.path().string();
    const PlanCase cases[] = {
        {"same path", {{"--trace", d + "/s.jsonl"}}, kExitBadInput,
         "--trace '" + d + "/s.jsonl' is the same file as the script '" + d + "/s.jsonl'"},
        {"relative with ./", {{"--trace", "./" + rel + "/s.jsonl"}}, kExitBadInput, "--trace './"},
        {"through ..", {{"--csv", d + "/d/../s.jsonl"}}, kExitBadInput, "--csv '" + d + "/d/../s.jsonl' is the same"},
        {"hard link", {{"--trace", d + "/h"}}, kExitBadInput,
         "--trace '" + d + "/h' is the same file as the script"},
        {"symbolic link", {{"--svg", d + "/l"}}, kExitBadInput, "--svg '" + d + "/l' is the same file as the script"},
        {"the module", {{"--trace", rel + "/m.so"}}, kExitBadInput,
         "--trace '" + rel + "/m.so' is the same file as the module '" + d + "/m.so'"},
    };
    for (const auto& c : cases) Expect(c);
}

TEST_F(OutputPlanTest, RefusesTwoOutputsInOneFileEvenBeforeItExists) {
    const std::string d = dir.path().string();
    WriteFile(dir / "old.jsonl", "old");
    const PlanCase cases[] = {
        {"new file, two spellings", {{"--csv", d + "/x"}, {"--svg", rel + "/d/../x"}}, kExitBadInput,
         "--svg '" + rel + "/d/../x' is the same file as --csv '" + d + "/x'"},
        {"existing file", {{"--trace", d + "/old.jsonl"}, {"--csv", "./" + rel + "/old.jsonl"}}, kExitBadInput,
         "--csv './" + rel + "/old.jsonl' is the same file as --trace"},
        {"both standard output", {{"--trace", "-"}, {"--csv", "-"}}, kExitBadInput,
         "--trace (standard output) and --csv (standard output) would both write to standard output"},
        {"a dangling link to another", {{"--csv", d + "/x"}, {"--svg", d + "/dangling"}}, kExitBadInput,
         "--svg '" + d + "/dangling' is the same file as --csv"},
    };
    for (const auto& c : cases) Expect(c);
    EXPECT_FALSE(fs::exists(dir / "x"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling"));
}

TEST_F(OutputPlanTest, AcceptsDistinctFilesDevicesAndStandardStreams) {
    const std::string d = dir.path().string();
    const PlanCase cases[] = {
        {"distinct new files", {{"--trace", d + "/t"}, {"--csv", d + "/d/t"}, {"--svg", d + "/t.svg"}}, kExitSuccess,
         ""},
        {"standard output and a file", {{"--trace", "-"}, {"--csv", d + "/c"}}, kExitSuccess, ""},
        {"two outputs to /dev/null", {{"--csv", "/dev/null"}, {"--svg", "/dev/null"}}, kExitSuccess, ""},
        {"not requested", {{"--csv", ""}, {"--svg", ""}}, kExitSuccess, ""},
    };
    for (const auto& c : cases) Expect(c);
}

TEST_F(OutputPlanTest, ClashIsReportedBeforeAnUnwritableOutput) {
    const std::string d = dir.path().string();
    Expect({"clash first", {{"--csv", d + "/nodir/x"}, {"--trace", d + "/h"}}, kExitBadInput, "--trace '"});
    Expect({"unwritable", {{"--csv", d + "/nodir/x"}}, kExitOutputFailed, "cannot write --csv '"});
}

// Standard input and output by another name: /dev/stdin, /proc/self/fd/N,
// or the file a stream is redirected to.
class Redirected {
public:
    Redirected(int fd, const std::string& path, int flags) : fd_(fd), saved_(::dup(fd)) {
        const int file = ::open(path.c_str(), flags, 0644);
        ::dup2(file, fd);
        ::close(file);
    }
    ~Redirected() {
        ::dup2(saved_, fd_);
        ::close(saved_);
    }

private:
    int fd_, saved_;
};

TEST_F(OutputPlanTest, StandardStreamsAreComparedByTheFileBehindThem) {
    const std::string d = dir.path().string();
    {
        const Redirected in(0, d + "/s.jsonl", O_RDONLY);
        for (const char* alias : {"/dev/stdin", "/proc/self/fd/0"}) {
            OutputPlan plan;
            plan.AddInput("the script", "-");
            plan.AddOutput("the trace", alias);
            EXPECT_THROW(plan.Check(), CommandError) << alias;
        }
        OutputPlan plan;
        plan.AddInput("the script", "-");
        plan.AddOutput("the trace", d + "/h");
        try {
            plan.Check();
            ADD_FAILURE() << "a hard link to standard input was accepted";
        } catch (const CommandError& e) {
            EXPECT_EQ(std::string(e.what()), "the trace '" + d + "/h' is the same file as the script (standard input)");
        }
    }
    WriteFile(dir / "log", "earlier\n");
    const Redirected out(1, d + "/log", O_WRONLY | O_APPEND);
    OutputPlan plan;
    plan.AddOutput("the trace", "/dev/stdout");
    plan.Check();
    EXPECT_TRUE(plan.writes_standard_output()) << "written in place, as '-'";
    OutputPlan two;
    two.AddOutput("the trace", "-");
    two.AddOutput("--csv", d + "/log");
    EXPECT_THROW(two.Check(), CommandError) << "both on standard output";
    EXPECT_EQ(ReadFile(dir / "log"), "earlier\n");
}

// The second output fails: the first, complete, must not replace its file.
TEST_F(OutputPlanTest, OutputsCommitTogetherOrNotAtAll) {
    if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    WriteFile(dir / "old.csv", "old");
    OutputPlan plan;
    const auto csv = plan.AddOutput("--csv", dir / "old.csv");
    const auto svg = plan.AddOutput("--svg", "/dev/full");
    const auto trace = plan.AddOutput("--trace", dir / "new.jsonl");
    plan.Check();
    plan.Open();
    std::fputs("new", plan.file(csv));
    std::fputs("<svg/>", plan.file(svg));
    std::fputs("{}", plan.file(trace));
    EXPECT_THROW(plan.Commit(), CommandError);
    EXPECT_EQ(ReadFile(dir / "old.csv"), "old");
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"d", "dangling", "h", "l", "m.so", "old.csv", "s.jsonl"}));
}

}  // namespace
