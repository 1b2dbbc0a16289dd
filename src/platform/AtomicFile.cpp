#include "platform/AtomicFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}
} // namespace

QString replaceFileContents(const QString &path, const QByteArray &contents)
{
    const QFileInfo info(path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray targetName = QFile::encodeName(target);
    const QString folder = QFileInfo(target).absolutePath();
    struct stat existing = {};
    const bool exists = ::stat(targetName.constData(), &existing) == 0;

    // A name of our own beside the target, created exclusively: the rename
    // only works within one file system, and no other file is ever touched.
    // Hidden, and with no extension a reader would recognise.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = QFile::encodeName(folder) + "/." + QFile::encodeName(QFileInfo(target).fileName()) + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return QCoreApplication::translate("Platform", "cannot write in %1: %2").arg(folder, errorText(errno));
    if (exists)
        (void)::fchmod(fd, existing.st_mode & 07777);

    bool ok = writeAll(fd, contents) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) { // network file systems report some write errors only here
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.constData(), targetName.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return QCoreApplication::translate("Platform", "cannot write %1: %2").arg(target, errorText(error));
    }
    // The rename is on disk once the folder is; a failure here loses nothing.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return QString();
}

} // namespace platform
