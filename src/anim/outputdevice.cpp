#include "anim/outputdevice.h"

#include "core/pathbytes.h"

namespace ramulet {

SafeSaveFile::SafeSaveFile(const QString &path) : m_path(path) {}

SafeSaveFile::~SafeSaveFile()
{
    if (isOpen()) {
        QIODevice::close();
        m_out.Cancel();
    }
}

bool SafeSaveFile::open(OpenMode mode)
{
    if (!m_out.Open(EncodePathBytes(m_path.toStdU16String()))) {
        fail();
        return false;
    }
    // Unbuffered: every write reaches the file at once, so a failure is seen where it happens.
    return QIODevice::open(mode | QIODevice::Unbuffered);
}

qint64 SafeSaveFile::writeData(const char *data, qint64 size)
{
    if (m_failed || m_cancelled || size < 0) {
        return -1;
    }
    if (!m_out.Write(data, static_cast<size_t>(size))) {
        fail();
        return -1;
    }
    return size;
}

bool SafeSaveFile::commit()
{
    if (!isOpen()) {
        return false;
    }
    QIODevice::close();
    if (m_failed || m_cancelled) {
        m_out.Cancel();
        return false;
    }
    if (!m_out.Commit()) {
        fail();
        return false;
    }
    return true;
}

void SafeSaveFile::fail()
{
    m_failed = true;
    setErrorString(QString::fromStdString(m_out.Error()));
}

} // namespace ramulet
