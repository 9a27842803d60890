#pragma once

// A file being written so that nothing already on the disk is harmed.
//
// A name that is absent or holds a regular file is written through a temporary file beside
// the target, which replaces it only on Commit: a failure leaves any old file as it was. A
// symbolic link is followed to the file it names, and that file is replaced; the link stays a
// link. A name that holds something else (a pipe, a device) is never replaced by a regular
// file: a pipe or a device is opened and written directly, and a socket or a folder is refused.

#include <cstddef>
#include <string>

namespace ramulet {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // drops an unfinished temporary file
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // `path` is the name's bytes as the file system holds them. False, with Error(), when it
    // cannot be opened; nothing has then been created.
    bool Open(const std::string &path);

    // Writes all of `size` bytes, retrying short writes. False, with Error(), when the disk
    // refuses them (full, over the size limit, a pipe whose reader has gone); the caller then
    // calls Cancel or lets the object go.
    bool Write(const void *data, size_t size);

    // Makes the written bytes the file's: the temporary file is synced and renamed over the
    // target, a direct target is closed. False, with Error(), and the old file intact when
    // that fails.
    bool Commit();

    // Drops what was written: the temporary file is removed, a direct target closed.
    void Cancel();

    // Why the last call failed: the system's reason (errno, say ENOSPC or EFBIG), or a kind
    // of target that is refused.
    enum class Failure { None, System, Folder, NotWritable, NoReader };
    Failure LastFailure() const { return m_failure; }
    int ErrorNumber() const { return m_errno; }
    // The reason in English: the system's text, or a sentence for a refused target.
    std::string Error() const;

    // True when the target is written in place (a pipe or a device), not replaced.
    bool IsDirect() const { return m_direct; }

private:
    bool OpenDirect(const std::string &path, bool isFifo);
    bool OpenTemporary(const std::string &target);
    bool Fail(int err);
    bool Refuse(Failure failure);

    int m_fd = -1;
    bool m_direct = false;
    std::string m_target;    // the regular file that Commit replaces
    std::string m_temporary; // the temporary file beside it, while it exists
    Failure m_failure = Failure::None;
    int m_errno = 0;
};

} // namespace ramulet
