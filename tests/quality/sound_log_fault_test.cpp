// The sound log when the file system says no: a directory that cannot be
// written, a log that is read-only or unreadable, a log replaced by a
// directory mid-session, a log on a full device. Each case runs the shipped
// module in a forked child, so a crash is seen as a signal, not as the end of
// the test run. We run as root, where permission bits do not stop writes, so
// the child drops to the unprivileged user before it touches the directory.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "runtime/host_runtime.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t NOBODY = 65534;
constexpr gid_t NOGROUP = 65534;
constexpr int CHILD_CANNOT_DROP = 77;
constexpr int CHILD_HOST_ERROR = 78;
constexpr const char* LOG = "OrbiterSound_Log.txt";

std::string Lib(const char* name) { return std::string(VANTOREL_BUILD_DIR) + "/lib/" + name; }

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Loads the module without the sound library, so that every vessel logs its
// connect failure, and flies each vessel for a step.
void RunModule(int vessels, const std::function<void()>& between = {}) {
    host::Runtime rt;
    rt.load_module(Lib("Vantorel.so"));
    for (int i = 0; i < vessels; ++i) {
        rt.create_vessel();
        rt.begin_frame();
        rt.step(0.02, 0.02, 51544.5);
        if (between) between();
    }
    rt.destroy_all_vessels();
    rt.unload_module();
}

enum class Outcome { ran, crashed, skipped };

struct ChildResult {
    Outcome outcome;
    std::string detail;
};

// Runs `body` in a child inside `dir`, as the unprivileged user when we are root.
ChildResult InChild(const fs::path& dir, bool drop_privileges, const std::function<void()>& body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(2);
        if (drop_privileges && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(NOGROUP) != 0 || setuid(NOBODY) != 0) _exit(CHILD_CANNOT_DROP);
            // A process that kept the right to override permissions proves nothing.
            if (access("/root", W_OK) == 0 || geteuid() == 0) _exit(CHILD_CANNOT_DROP);
        }
        try {
            body();
        } catch (const host::HostError&) {
            _exit(CHILD_HOST_ERROR);
        }
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return {Outcome::crashed, "fork or wait failed"};
    if (WIFSIGNALED(status)) return {Outcome::crashed, "killed by signal " + std::to_string(WTERMSIG(status))};
    if (WEXITSTATUS(status) == CHILD_CANNOT_DROP) return {Outcome::skipped, "cannot drop to uid 65534"};
    if (WEXITSTATUS(status) != 0) return {Outcome::crashed, "exit status " + std::to_string(WEXITSTATUS(status))};
    return {Outcome::ran, ""};
}

class SoundLogFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("vantorel-log-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::permissions(dir, fs::perms::all);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    // Fails the test on a crash; skips it when the privilege drop is impossible.
    bool Run(bool drop, const std::function<void()>& body) {
        const ChildResult r = InChild(dir, drop, body);
        if (r.outcome == Outcome::skipped) return false;
        EXPECT_EQ(r.outcome, Outcome::ran) << r.detail;
        return true;
    }
    fs::path dir;
};

// The control for the cases below: as the unprivileged user in a directory it
// may write, the three vessels do log.
TEST_F(SoundLogFaultTest, UnprivilegedChildWritesTheLogWhereItMay) {
    if (!Run(true, [] { RunModule(3); })) GTEST_SKIP() << "cannot drop privileges in this environment";
    const std::string log = ReadFile(dir / LOG);
    std::size_t entries = 0;
    for (std::size_t at = log.find("ERR01="); at != std::string::npos; at = log.find("ERR01=", at + 1)) ++entries;
    EXPECT_EQ(entries, 3u) << log;
}

TEST_F(SoundLogFaultTest, DirectoryThatCannotBeWritten) {
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    if (!Run(true, [] { RunModule(3); })) GTEST_SKIP() << "cannot drop privileges in this environment";
    EXPECT_FALSE(fs::exists(dir / LOG));
}

// Read-only, unreadable and write-only logs, in a directory the child could
// otherwise write: removing and recreating the log would succeed there, and
// must not happen.
TEST_F(SoundLogFaultTest, LogWithoutWritePermissionKeepsItsContents) {
    const std::string earlier = "Orbiter Sound Log Started\nearlier session\n";
    for (fs::perms mode : {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, fs::perms::none,
                           fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write}) {
        SCOPED_TRACE(static_cast<int>(mode));
        fs::remove(dir / LOG);
        { std::ofstream(dir / LOG) << earlier; }
        fs::permissions(dir / LOG, mode);
        if (!Run(true, [] { RunModule(3); })) GTEST_SKIP() << "cannot drop privileges in this environment";
        EXPECT_EQ(ReadFile(dir / LOG), earlier);
        EXPECT_EQ(fs::status(dir / LOG).permissions(), mode);
    }
}

TEST_F(SoundLogFaultTest, LogReplacedByADirectoryMidSession) {
    int vessel = 0;
    const fs::path log = dir / LOG;
    Run(false, [&] {
        RunModule(3, [&] {
            // After the first vessel's entry, the log becomes a directory with something in it.
            if (++vessel != 1) return;
            fs::remove(log);
            fs::create_directory(log);
            std::ofstream(log / "keep.txt") << "kept";
        });
    });
    EXPECT_TRUE(fs::is_directory(log));
    EXPECT_EQ(ReadFile(log / "keep.txt"), "kept");
}

// A log on a device with no room left: every write fails at the flush.
TEST_F(SoundLogFaultTest, LogOnAFullDevice) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    fs::create_symlink("/dev/full", dir / LOG);
    Run(false, [] { RunModule(3); });
    EXPECT_TRUE(fs::is_symlink(dir / LOG));
}

}  // namespace
