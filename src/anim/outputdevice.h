#pragma once

// The animation files written like every other output of the program: a regular file through
// a temporary file that replaces it only on commit, a pipe or a device written in place and
// never replaced, a symbolic link written through. The name is taken as the file system's
// bytes, so a name that is not UTF-8 is written as itself.

#include "core/outputfile.h"

#include <QIODevice>
#include <QString>

namespace ramulet {

class SafeSaveFile final : public QIODevice {
public:
    explicit SafeSaveFile(const QString &path);
    ~SafeSaveFile() override; // drops what was not committed

    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }
    // True while every write so far went through.
    bool flush() const { return !m_failed; }
    // Makes the written bytes the file's: false, with any old file intact, when that fails or
    // the writing was cancelled.
    bool commit();
    void cancelWriting() { m_cancelled = true; }
    // Whether an open, a write or the commit failed; errorString() then says why.
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    void fail();

    QString m_path;
    OutputFile m_out;
    bool m_failed = false;
    bool m_cancelled = false;
};

} // namespace ramulet
