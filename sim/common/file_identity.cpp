#include "common/file_identity.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace vantorel_sim {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32

FileIdentity IdentityOfHandle(HANDLE handle) {
    FileIdentity id;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return id;
    const DWORD type = ::GetFileType(handle);
    if (type == FILE_TYPE_CHAR) {
        id.kind = FileKind::kDevice;
        return id;
    }
    if (type == FILE_TYPE_PIPE) {
        id.kind = FileKind::kStream;
        id.inode = reinterpret_cast<std::uintptr_t>(handle);  // no identity to compare: only itself
        return id;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return id;
    id.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::kDirectory : FileKind::kRegular;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return id;
}

#else

FileIdentity FromStat(const struct stat& sb) {
    FileIdentity id;
    if (S_ISREG(sb.st_mode)) {
        id.kind = FileKind::kRegular;
    } else if (S_ISDIR(sb.st_mode)) {
        id.kind = FileKind::kDirectory;
    } else if (S_ISCHR(sb.st_mode) || S_ISBLK(sb.st_mode)) {
        id.kind = FileKind::kDevice;
    } else if (S_ISFIFO(sb.st_mode) || S_ISSOCK(sb.st_mode)) {
        id.kind = FileKind::kStream;
    } else {
        id.kind = FileKind::kOther;
    }
    id.device = static_cast<std::uint64_t>(sb.st_dev);
    id.inode = static_cast<std::uint64_t>(sb.st_ino);
    return id;
}

#endif

}  // namespace

#ifdef _WIN32

FileIdentity IdentityOfPath(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    FileIdentity id = IdentityOfHandle(h);
    if (id.kind == FileKind::kStream) id.inode = 0;  // a named pipe opened here is not the caller's handle
    ::CloseHandle(h);
    return id;
}

FileIdentity IdentityOfDescriptor(int fd) {
    return IdentityOfHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)));
}

#else

FileIdentity IdentityOfPath(const std::string& path) {
    struct stat sb;
    if (path.empty() || ::stat(path.c_str(), &sb) != 0) return {};
    return FromStat(sb);
}

FileIdentity IdentityOfDescriptor(int fd) {
    struct stat sb;
    if (::fstat(fd, &sb) != 0) return {};
    return FromStat(sb);
}

#endif

std::string WriteTarget(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(path, ec);
    if (ec) return fs::path(path).lexically_normal().string();
    // A chain of links, each relative to its own folder; 40 as the kernel allows.
    for (int hops = 0; hops < 40; ++hops) {
        const fs::path folder = fs::weakly_canonical(p.parent_path(), ec);
        if (!ec) p = folder / p.filename();
        if (!fs::is_symlink(fs::symlink_status(p, ec))) break;
        const fs::path link = fs::read_symlink(p, ec);
        if (ec) break;
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return p.lexically_normal().string();
}

}  // namespace vantorel_sim
