// The one scratch-folder helper of the test suite: a folder of its own for each
// test (ctest runs tests in parallel, each in one shared working directory),
// removed afterwards, and small file helpers. No test writes into the
// current folder: one that needs a file there (the module's sound log) moves
// into its scratch folder with WorkingDirectory.
#ifndef VANTOREL_TESTS_SUPPORT_SCRATCH_DIR_H
#define VANTOREL_TESTS_SUPPORT_SCRATCH_DIR_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <algorithm>

namespace test_support {

namespace fs = std::filesystem;

class ScratchDir {
public:
    // Named after the running test, or after label outside a test.
    explicit ScratchDir(const std::string& label = "") {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = !label.empty() || info == nullptr
                               ? label
                               : std::string(info->test_suite_name()) + "-" + info->name();
        // Parameterised suites are named "Prefix/Suite": one folder, not two.
        std::replace(name.begin(), name.end(), '/', '-');
        path_ = fs::temp_directory_path() / ("vantorel-test-" + name + "-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// Makes a folder the current one for its lifetime.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingDirectory() {
        std::error_code ec;
        fs::current_path(previous_, ec);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    fs::path previous_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Names in the folder, so a test can see that no temporary was left.
inline std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace test_support

#endif
