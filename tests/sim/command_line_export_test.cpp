// `vantorel-sim export` under bad input and outputs, in a scratch folder
// holding a copy of the meshes ("a"), a broken mesh ("bad"), an earlier
// output (old.out) and a copy of the module (m.so).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command_line_support.h"

namespace {

using namespace command_line_test;
namespace fs = std::filesystem;

const std::string kOldOutput = "an earlier output\n";

struct ExportCase {
    const char* name;
    const char* args;  // after "export"
    int status;
    const char* message;       // in standard error
    const char* stdout_to = "";
};

const ExportCase kExportCases[] = {
    {"nothing_to_write", "", 2, "vantorel-sim export: nothing to write: give --out FILE.glb"},
    {"unknown_mesh", "--mesh wing --out x.glb", 2, "--mesh must be exterior, cockpit or cockpit-lit, got 'wing'"},
    {"unknown_option", "--frob", 2, "vantorel-sim export: The following argument was not expected: --frob"},
    {"out_is_module", "--module m.so --out ./m.so", 2, "--out './m.so' is the same file as the module 'm.so'"},
    {"out_is_mesh", "--assets a --out a/Meshes/Ombrix/Vantorel-Cpit.msh --mesh cockpit", 2,
     "is the same file as the mesh '"},
    {"missing_folder", "--out nodir/x.glb", 3, "cannot write --out 'nodir/x.glb': folder 'nodir' does not exist"},
    {"out_is_directory", "--out a", 3, "--out 'a' is a directory"},
    {"full_disk", "--out /dev/full", 3, "cannot write --out '/dev/full': No space left on device"},
    {"full_standard_output", "--out -", 3, "No space left on device", "/dev/full"},
    {"no_asset_folder", "--assets nodir --out old.out", 1, "asset folder 'nodir' does not exist"},
    {"module_not_loadable", "--module none.so --out old.out", 1, "cannot load module '"},
    {"broken_mesh", "--assets bad --out old.out", 1, "bad/Meshes/Ombrix/Vantorel.msh:2: expected GROUPS"},
};

class ExportSafety : public ::testing::TestWithParam<ExportCase> {};

void FillScratch(const ScratchDir& dir) {
    fs::create_directory(dir / "a");
    fs::copy(std::string(VANTOREL_SOURCE_DIR) + "/assets/Meshes", dir / "a/Meshes", fs::copy_options::recursive);
    fs::create_directories(dir / "bad/Meshes/Ombrix");
    WriteFile(dir / "bad/Meshes/Ombrix/Vantorel.msh", "MSHX1\nGROUPS x\n");
    WriteFile(dir / "old.out", kOldOutput);
    fs::copy_file(std::string(VANTOREL_BUILD_DIR) + "/lib/Vantorel.so", dir / "m.so");
}

TEST_P(ExportSafety, RefusesOrFailsWithoutLosingAFile) {
    const ExportCase& c = GetParam();
    if (std::string(c.args).find("/dev/full") != std::string::npos || *c.stdout_to) {
        if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    }
    ScratchDir dir;
    FillScratch(dir);
    const std::string mesh = ReadFile(dir / "a/Meshes/Ombrix/Vantorel-Cpit.msh");
    const std::vector<std::string> before = Entries(dir.path());
    const SimRun r = RunSim(dir, std::string("export ") + c.args, "", c.stdout_to);
    // The module logs its missing sound library wherever it runs; not an output.
    fs::remove(dir / "OrbiterSound_Log.txt");
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.message << "\n" << r.err;
    EXPECT_EQ(ReadFile(dir / "old.out"), kOldOutput) << "an earlier output is untouched";
    EXPECT_EQ(ReadFile(dir / "a/Meshes/Ombrix/Vantorel-Cpit.msh"), mesh);
    EXPECT_EQ(Entries(dir.path()), before) << "no partial output, no temporary left";
}

INSTANTIATE_TEST_SUITE_P(Table, ExportSafety, ::testing::ValuesIn(kExportCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A label with a terminal escape and a byte that is not UTF-8 still makes a
// file: the name is valid UTF-8, the escape kept only as JSON's \u001b.
TEST(ExportCommand, OddGroupLabelsBecomeValidNames) {
    ScratchDir dir;
    FillScratch(dir);
    const std::string path = dir / "a/Meshes/Ombrix/Vantorel.msh";
    std::string text = ReadFile(path);
    text.replace(text.find("LABEL fuselage_0_belly"), 22, "LABEL \xff\x1b[2J");
    WriteFile(path, text);
    const SimRun r = RunSim(dir, "export --assets a --out -");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 4), "glTF");
    std::uint32_t json_length = 0;  // the JSON chunk's, little-endian at byte 12
    for (int i = 3; i >= 0; --i) json_length = json_length << 8 | static_cast<unsigned char>(r.out.at(12 + i));
    const std::string json = r.out.substr(20, json_length);
    EXPECT_NE(json.find("\"name\":\"\xEF\xBF\xBD\\u001b[2J\""), std::string::npos);
    EXPECT_EQ(json.find('\x1b'), std::string::npos);
}

TEST(ExportCommand, HelpShowsTheFrameAndTheExitStatusTable) {
    ScratchDir dir;
    const SimRun r = RunSim(dir, "export --help");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("the nose points to -Z"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("3  an output cannot be written"), std::string::npos) << r.out;
}

}  // namespace
