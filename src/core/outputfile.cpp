#include "core/outputfile.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace ramulet {

namespace {

// The folder part of a path ("." for a bare name, "/" for a name in the root).
std::string FolderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The name a chain of symbolic links ends in, whether or not that name exists yet; `path`
// itself when it is no link. Empty when the chain is too long (a loop).
std::string FollowLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size()) {
            return path;
        }
        target.resize(static_cast<size_t>(n));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    return {};
}

// A fresh name for the temporary file: hidden, in the target's folder so that the rename is
// atomic, short whatever the target's name.
std::string TemporaryName(const std::string &folder)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = folder + "/.ramulet-";
    uint64_t bits = random();
    for (int i = 0; i < 12; ++i, bits >>= 4) {
        name.push_back(kDigits[bits & 15U]);
    }
    return name + ".tmp";
}

} // namespace

OutputFile::~OutputFile()
{
    Cancel();
}

bool OutputFile::Fail(int err)
{
    m_failure = Failure::System;
    m_errno = err;
    return false;
}

bool OutputFile::Refuse(Failure failure)
{
    m_failure = failure;
    m_errno = 0;
    return false;
}

std::string OutputFile::Error() const
{
    switch (m_failure) {
    case Failure::None:
        return {};
    case Failure::System:
        return std::strerror(m_errno);
    case Failure::Folder:
        return "it is a folder";
    case Failure::NotWritable:
        return "it is neither a file, a pipe nor a character device";
    case Failure::NoReader:
        return "it is a pipe that no program is reading";
    }
    return {};
}

bool OutputFile::Open(const std::string &path)
{
    // A write past a file size limit (ulimit -f) must fail with EFBIG, which the caller
    // reports, not end the process with SIGXFSZ and the user's unsaved work; the programs
    // ignore the signal from their start, and every writer here makes sure of it.
    static const bool sizeSignalIgnored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    (void)sizeSignalIgnored;
    Cancel();
    m_failure = Failure::None;
    if (path.empty()) {
        return Fail(ENOENT);
    }
    // The name itself is looked at first, through the system's own following of links,
    // which also knows the links of /proc (/dev/stdout names a pipe, not a path).
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return Fail(errno);
        }
        // Nothing there yet, or a link to a name that does not exist yet: that name is made.
        const std::string target = FollowLinks(path);
        return target.empty() ? Fail(ELOOP) : OpenTemporary(target);
    }
    if (S_ISREG(st.st_mode)) {
        // The file a link leads to is replaced, and the link stays.
        const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr),
                                                               &std::free);
        return OpenTemporary(real ? std::string(real.get()) : path);
    }
    if (S_ISDIR(st.st_mode)) {
        return Refuse(Failure::Folder);
    }
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
        return OpenDirect(path, S_ISFIFO(st.st_mode));
    }
    // A socket cannot be opened; a disk's block device is not overwritten by a picture.
    return Refuse(Failure::NotWritable);
}

bool OutputFile::OpenDirect(const std::string &path, bool isFifo)
{
    // A pipe without a reader would block the open until one comes, perhaps forever: opened
    // without blocking, it fails at once instead (ENXIO), and the writes block as usual.
    m_fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (isFifo ? O_NONBLOCK : 0));
    if (m_fd < 0) {
        return errno == ENXIO && isFifo ? Refuse(Failure::NoReader) : Fail(errno);
    }
    if (isFifo) {
        const int flags = fcntl(m_fd, F_GETFL);
        if (flags < 0 || fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            const int err = errno;
            Cancel();
            return Fail(err);
        }
    }
    m_direct = true;
    return true;
}

bool OutputFile::OpenTemporary(const std::string &target)
{
    // An existing file keeps its permissions; a new one gets the usual 0666 less the umask.
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    const std::string folder = FolderOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = TemporaryName(folder);
        m_fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return Fail(errno);
        }
        m_temporary = name;
        m_target = target;
        if (exists && fchmod(m_fd, old.st_mode & 07777) != 0) {
            const int err = errno;
            Cancel();
            return Fail(err);
        }
        return true;
    }
    return Fail(EEXIST);
}

bool OutputFile::Write(const void *data, size_t size)
{
    if (m_fd < 0) {
        return Fail(EBADF);
    }
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = write(m_fd, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail(errno);
        }
        if (n == 0) {
            return Fail(ENOSPC);
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool OutputFile::Commit()
{
    if (m_fd < 0) {
        return Fail(EBADF);
    }
    if (m_direct) {
        const int fd = m_fd;
        m_fd = -1;
        m_direct = false;
        return close(fd) == 0 ? true : Fail(errno);
    }
    // Synced before the rename, so that after a crash the name holds the old file or the
    // whole new one.
    if (fsync(m_fd) != 0) {
        const int err = errno;
        Cancel();
        return Fail(err);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0 || rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const int err = errno;
        Cancel();
        return Fail(err);
    }
    m_temporary.clear();
    return true;
}

void OutputFile::Cancel()
{
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        unlink(m_temporary.c_str());
        m_temporary.clear();
    }
    m_direct = false;
}

} // namespace ramulet
