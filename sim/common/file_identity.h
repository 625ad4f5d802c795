// Which file a name stands for, to tell whether two names are one file: by
// the file's identity (device and inode, or volume and file index), after
// every symbolic link, /dev/stdin and /proc/self/fd/N entry is followed.
#ifndef VANTOREL_SIM_COMMON_FILE_IDENTITY_H
#define VANTOREL_SIM_COMMON_FILE_IDENTITY_H

#include <cstdint>
#include <string>

namespace vantorel_sim {

enum class FileKind {
    kMissing,
    kRegular,
    kDirectory,
    kDevice,  // character or block device: written in place, holds no data a write could lose
    kStream,  // pipe or socket
    kOther,
};

struct FileIdentity {
    FileKind kind = FileKind::kMissing;
    std::uint64_t device = 0, inode = 0;

    bool exists() const { return kind != FileKind::kMissing; }
    // One file whose data a write to the other would replace or mix with.
    // Devices never count: two writers to /dev/null lose nothing.
    bool SameDataAs(const FileIdentity& other) const {
        return exists() && kind != FileKind::kDevice && kind == other.kind && device == other.device &&
               inode == other.inode;
    }
};

// The file at path, links followed; kMissing when there is none (or it
// cannot be looked at).
FileIdentity IdentityOfPath(const std::string& path);
// The file open as descriptor fd (0, 1, 2: the standard streams).
FileIdentity IdentityOfDescriptor(int fd);

// The absolute, normalised name a write to path creates or replaces: a
// symbolic link is followed even when its target does not exist yet.
std::string WriteTarget(const std::string& path);

}  // namespace vantorel_sim

#endif
