#include "common/signal_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vantorel_sim {

namespace {

constexpr std::size_t kPathBytes = 4096;

// state: 0 free, 1 a file, 2 a folder. Set last when registering and
// cleared first when releasing, so the handler never reads a path being
// written.
struct Slot {
    char path[kPathBytes];
    volatile std::sig_atomic_t state;
};

// Registered and released from the one thread that runs the job.
Slot g_slots[kCleanupSlots];
bool g_installed = false;

constexpr int kSignals[] = {SIGINT, SIGTERM,
#ifdef SIGHUP
                            SIGHUP
#endif
};

// Files first: a folder goes only once it is empty.
void RemoveRegistered() {
    for (Slot& slot : g_slots) {
        if (slot.state == 1) ::unlink(slot.path);
    }
    for (Slot& slot : g_slots) {
        if (slot.state == 2) ::rmdir(slot.path);
    }
}

#ifdef _WIN32

extern "C" void OnSignal(int signal_number) {
    RemoveRegistered();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

void InstallHandlers() {
    for (int sig : kSignals) {
        if (std::signal(sig, OnSignal) == SIG_IGN) std::signal(sig, SIG_IGN);
    }
}

#else

// The signal stays blocked while the handler runs, so the raise takes
// effect, with the default action, once the handler returns.
extern "C" void OnSignal(int signal_number) {
    RemoveRegistered();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
    ::raise(signal_number);
}

void InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    for (int sig : kSignals) ::sigaddset(&action.sa_mask, sig);
    for (int sig : kSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;  // nohup and the like
        ::sigaction(sig, &action, nullptr);
    }
}

#endif

}  // namespace

int RegisterForCleanup(const std::string& path, CleanupKind kind) {
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    if (ec || absolute.size() >= kPathBytes) return -1;
    if (!g_installed) {
        InstallHandlers();
        g_installed = true;
    }
    for (int i = 0; i < kCleanupSlots; ++i) {
        Slot& slot = g_slots[i];
        if (slot.state != 0) continue;
        std::memcpy(slot.path, absolute.c_str(), absolute.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        slot.state = kind == CleanupKind::kFile ? 1 : 2;
        return i;
    }
    return -1;
}

void ReleaseCleanup(int slot) {
    if (slot < 0 || slot >= kCleanupSlots) return;
    g_slots[slot].state = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

#ifdef _WIN32

SignalBlock::SignalBlock() = default;
SignalBlock::~SignalBlock() = default;

#else

SignalBlock::SignalBlock() {
    sigset_t block;
    ::sigemptyset(&block);
    for (int sig : kSignals) ::sigaddset(&block, sig);
    ::sigprocmask(SIG_BLOCK, &block, &saved_);
}

SignalBlock::~SignalBlock() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

#endif

}  // namespace vantorel_sim
