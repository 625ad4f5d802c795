// render and check-assets as a careless or hostile user runs them: outputs
// onto the files they read, empty values, control characters, files of the
// wrong kind, meshes and waves that lie about their size. Each case checks
// the status, the message and that nothing else changed on disk, the
// current folder included (the module's sound log never lands there).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "command_line_support.h"

// A sanitizer reserves terabytes of address space: no memory limit then.
#if defined(__SANITIZE_ADDRESS__)
#define VANTOREL_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTOREL_TEST_SANITIZED 1
#endif
#endif
#ifdef VANTOREL_TEST_SANITIZED
constexpr const char* kMemoryLimit = "";
#else
constexpr const char* kMemoryLimit = "ulimit -v 400000; ";
#endif

namespace {

using namespace command_line_test;
namespace fs = std::filesystem;

// Folder contents: a/ (the shipped assets with a/Modules/Vantorel.so, the
// default module for --assets a), m.so (a copy of the module), ml (a
// symbolic link to m.so), g.fly (a file), d/ (a folder).
class AssetsFolder {
public:
    AssetsFolder() {
        fs::copy(VANTOREL_SOURCE_DIR "/assets", dir.path() / "a", fs::copy_options::recursive);
        fs::create_directories(dir.path() / "a/Modules");
        fs::copy_file(VANTOREL_BUILD_DIR "/lib/Vantorel.so", dir.path() / "a/Modules/Vantorel.so");
        fs::copy_file(VANTOREL_BUILD_DIR "/lib/Vantorel.so", dir.path() / "m.so");
        fs::create_symlink("m.so", dir.path() / "ml");
        fs::create_directory(dir.path() / "d");
        WriteFile(dir / "g.fly", "0 key G\n");
    }

    // Every file under the folder with its bytes.
    std::vector<std::pair<std::string, std::string>> Snapshot() const {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
            if (e.is_regular_file()) files.emplace_back(e.path().string(), ReadFile(e.path().string()));
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    ScratchDir dir;
};

struct AssetCase {
    const char* name;
    const char* args;
    int status;
    std::vector<const char*> message;  // pieces of standard error, or of standard output for findings
    const char* stdout_to = "";
};

const AssetCase kAssetCases[] = {
    // Every file the job reads is an input, defaults included.
    {"out_is_the_default_module", "render --assets a --size 32 --out a/Modules/Vantorel.so", 2,
     {"--out 'a/Modules/Vantorel.so' is the same file as the module 'a/Modules/Vantorel.so'"}},
    {"out_is_the_module_by_link", "render --assets a --module m.so --size 32 --out ml", 2,
     {"--out 'ml' is the same file as the module 'm.so'"}},
    {"out_is_a_mesh", "render --assets a --size 32 --out a/Meshes/Ombrix/Vantorel.msh", 2,
     {"--out 'a/Meshes/Ombrix/Vantorel.msh' is the same file as the mesh '", "Vantorel.msh'"}},
    {"sheet_is_the_lit_cockpit", "render --assets a --size 32 --sheet ./a/Meshes/Ombrix/Vantorel-Cpit_n.msh", 2,
     {"is the same file as the mesh"}},
    // Both pictures or neither, and the system's reason.
    {"render_sheet_full_disk", "render --assets a --size 32 --out x.png --sheet /dev/full", 3,
     {"cannot write --sheet '/dev/full': No space left on device"}},
    // Empty values name the option.
    {"render_out_empty", "render --out ''", 2, {"vantorel-sim render: --out: the value is empty"}},
    {"render_assets_empty", "render --out x.png --assets ''", 2, {"--assets: the value is empty"}},
    {"render_module_empty", "render --out x.png --module ''", 2, {"--module: the value is empty"}},
    {"check_dir_empty", "check-assets ''", 2, {"vantorel-sim check-assets: DIR: the value is empty"}},
    {"check_module_empty", "check-assets a --module ''", 2, {"--module: the value is empty"}},
    // Control characters from the command line are shown escaped.
    {"render_escape_in_out", "render --assets a --size 32 --out \"$(printf 'n\\033[2J')/x.png\"", 3,
     {"cannot write --out 'n\\x1b[2J/x.png': folder 'n\\x1b[2J' does not exist"}},
    {"check_escape_in_dir", "check-assets \"$(printf 'no\\033[2Jdir')\"", 1, {"asset folder 'no\\x1b[2Jdir' does not exist"}},
    {"render_escape_in_option", "render --out x.png --view \"$(printf '\\033[31m')\"", 2, {"got '\\x1b[31m'"}},
    // The right words for the wrong kind of file.
    {"check_dir_is_a_file", "check-assets g.fly", 1, {"asset folder 'g.fly' is not a folder"}},
    {"render_module_is_a_folder", "render --assets a --size 32 --out x.png --module d", 1,
     {"cannot load module", "a folder, not a regular file"}},
    {"render_out_is_a_folder", "render --assets a --size 32 --out d", 3, {"--out 'd' is a directory, not a file"}},
    // Help to a stream that cannot take it.
    {"render_help_full", "render --help", 3, {"vantorel-sim render: cannot write to standard output: No space"},
     "/dev/full"},
    {"check_help_full", "check-assets --help", 3, {"vantorel-sim check-assets: cannot write to standard output"},
     "/dev/full"},
};

class AssetJobs : public ::testing::TestWithParam<AssetCase> {};

TEST_P(AssetJobs, RefuseOrFailWithoutChangingAFile) {
    const AssetCase& c = GetParam();
    AssetsFolder folder;
    const auto before = folder.Snapshot();
    const std::vector<std::string> entries = Entries(folder.dir.path());
    const SimRun r = RunSim(folder.dir, c.args, "", c.stdout_to);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const char* piece : c.message) EXPECT_NE(r.err.find(piece), std::string::npos) << piece << "\n" << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << "a raw escape reached the terminal";
    EXPECT_EQ(Entries(folder.dir.path()), entries) << "nothing new in the current folder";
    EXPECT_TRUE(folder.Snapshot() == before) << "every file as it was";
}

INSTANTIATE_TEST_SUITE_P(Table, AssetJobs, ::testing::ValuesIn(kAssetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AssetJobs, LeaveNothingInTheCurrentFolderButTheOutputs) {
    AssetsFolder folder;
    const SimRun render = RunSim(folder.dir, "render --assets a --size 32 --out x.png");
    ASSERT_EQ(render.status, 0) << render.err;
    const SimRun check = RunSim(folder.dir, "check-assets a");
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(Entries(folder.dir.path()), (std::vector<std::string>{"a", "d", "g.fly", "m.so", "ml", "x.png"}));
    EXPECT_FALSE(fs::exists(folder.dir.path() / "a/OrbiterSound_Log.txt"));
}

// A RIFF header with one 16-bit mono chunk of data_bytes, of which the file
// holds file_bytes (a sparse tail when larger than the header).
void WriteWaveHeader(const std::string& path, std::uint32_t data_bytes, std::uint64_t file_bytes) {
    std::string h = "RIFF....WAVEfmt ";
    auto u32 = [&h](std::uint32_t v) { for (int i = 0; i < 4; ++i) h += static_cast<char>(v >> (8 * i) & 0xFF); };
    auto u16 = [&h](unsigned v) { h += static_cast<char>(v & 0xFF), h += static_cast<char>(v >> 8); };
    u32(16), u16(1), u16(1), u32(44100), u32(88200), u16(2), u16(16);
    h += "data";
    u32(data_bytes);
    WriteFile(path, h);
    fs::resize_file(path, file_bytes);
}

// Readers that trust no count: findings with file and line, never an abort,
// in memory far below what the counts claim.
TEST(AssetJobs, MeshesAndWavesThatLieAboutTheirSizeAreFindings) {
    AssetsFolder folder;
    const std::string mesh = folder.dir / "a/Meshes/Ombrix/Vantorel-Cpit.msh";
    WriteFile(mesh, "MSHX1\nGROUPS 1\nNONORMAL\nGEOM 3 1\n0 0 0\n0 1 0\n1 0 0\n0 1 2\nMATERIALS 3000000000\n");
    const std::string wave = folder.dir / "a/Sound/Vantorel/Vantorel-Eng.wav";
    WriteWaveHeader(wave, 256u << 20, (256u << 20) + 44);
    WriteWaveHeader(folder.dir / "a/Sound/Vantorel/Vantorel-Gear.wav", 1000, 144);
    const SimRun r = RunShell(folder.dir, kMemoryLimit + Sim() + " check-assets a");
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("Vantorel-Cpit.msh:9: 3000000000 materials cannot fit in the rest of the file"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Vantorel-Eng.wav: silent"), std::string::npos) << "read to its end\n" << r.out;
    EXPECT_NE(r.out.find("Vantorel-Gear.wav: chunk 'data' at byte 36 says it holds 1000 bytes, but the file ends "
                         "100 bytes after its header"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.err, "");
}

}  // namespace
