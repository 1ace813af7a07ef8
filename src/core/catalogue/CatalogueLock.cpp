#include "core/catalogue/CatalogueLock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace db {

QString CatalogueLock::lockFilePath(const QString &catalogPath)
{
    const QFileInfo catalogue(catalogPath);
    return catalogue.absolutePath() + QStringLiteral("/.") + catalogue.fileName() + QStringLiteral(".in-uso");
}

CatalogueLock::CatalogueLock(const QString &catalogPath, Mode mode)
{
    const QString path = lockFilePath(catalogPath);
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC); // a lock needs no write access
    if (fd < 0) {
        m_problem = QStringLiteral("Impossibile aprire il file \"%1\" che segnala l'uso del catalogo: %2.")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    int result;
    do
        result = ::flock(fd, (mode == Shared ? LOCK_SH : LOCK_EX) | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        m_busy = error == EWOULDBLOCK;
        if (!m_busy)
            m_problem = QStringLiteral("Impossibile bloccare il file \"%1\" che segnala l'uso del catalogo: %2.")
                            .arg(path, QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    m_fd = fd;
}

CatalogueLock::~CatalogueLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // the lock goes with the descriptor
}

} // namespace db
