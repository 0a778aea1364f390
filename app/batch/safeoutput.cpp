#include "safeoutput.h"

#include "FileNames.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The permissions a plain create would have given: mkstemp makes files only their owner reads.
mode_t CreationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

QString SystemReason(int Errno)
{
    return QString::fromLocal8Bit(std::strerror(Errno));
}

TOutputSet::~TOutputSet()
{
    for (const TPending& p : FPending) ::unlink(p.Temporary.constData());
}

bool TOutputSet::Fail(const QString& Path, int Errno)
{
    FError = QStringLiteral("cannot write \"%1\": %2").arg(Path, SystemReason(Errno));
    return false;
}

bool TOutputSet::Write(const QString& Path, const std::function<void(TTextSink&)>& Fill)
{
    const QByteArray final = FileNameToBytes(Path);
    const qsizetype slash = final.lastIndexOf('/');
    QByteArray temporary = final.left(slash + 1) + '.' + final.mid(slash + 1) + ".XXXXXX";
    // O_EXCL underneath: a name that exists, a dangling link included, is never opened.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Fail(Path, errno);
    FPending.push_back({temporary, final});
    // Closed however Fill ends: it may throw when the input changes under it.
    struct TClosing {
        int Fd;
        ~TClosing()
        {
            if (Fd >= 0) ::close(Fd);
        }
    } file{fd};
    int error = ::fchmod(fd, CreationMode()) == 0 ? 0 : errno;
    if (error == 0) {
        TTextSink sink(fd);
        Fill(sink);
        if (!sink.Flush()) error = sink.Errno() ? sink.Errno() : EIO;
    }
    file.Fd = -1;
    if (::close(fd) != 0 && error == 0) error = errno ? errno : EIO;
    return error == 0 || Fail(Path, error);
}

bool TOutputSet::Commit()
{
    while (!FPending.empty()) {
        const TPending& p = FPending.front();
        if (::rename(p.Temporary.constData(), p.Final.constData()) != 0)
            return Fail(FileNameFromBytes(p.Final), errno);
        FPending.erase(FPending.begin());
    }
    return true;
}
