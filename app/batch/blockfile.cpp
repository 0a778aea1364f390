#include "blockfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {
// Where direct writes are known to go to a local disk as they are: ext2/3/4 and XFS. Network file
// systems would wait for the server on every block.
bool LocalDiskFileSystem(int Fd)
{
    constexpr long Ext = 0xEF53, Xfs = 0x58465342;
    struct statfs info {};
    return ::fstatfs(Fd, &info) == 0 && (info.f_type == Ext || info.f_type == Xfs);
}
} // namespace

TBlockFile::TBlockFile(int Fd) : FFd(Fd)
{
    if (LocalDiskFileSystem(Fd)) SetDirect(true);
}

void TBlockFile::SetDirect(bool On)
{
    const int flags = ::fcntl(FFd, F_GETFL);
    FDirect = flags != -1 && ::fcntl(FFd, F_SETFL, On ? flags | O_DIRECT : flags & ~O_DIRECT) == 0
                  ? On
                  : false;
}

bool TBlockFile::WriteAll(const char* Data, std::size_t Size)
{
    while (Size > 0) {
        const ssize_t n = ::write(FFd, Data, Size);
        if (n < 0 && errno == EINTR) continue;
        // A file system that wants other alignments takes the rest the usual way.
        if (n < 0 && errno == EINVAL && FDirect) {
            SetDirect(false);
            continue;
        }
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        Data += n;
        Size -= std::size_t(n);
    }
    return true;
}

TBlockFile::TTaken TBlockFile::Write(const char* Data, std::size_t Size, bool Last)
{
    const std::size_t whole = FDirect ? Size / BlockBytes * BlockBytes : Size;
    if (!WriteAll(Data, whole)) return {Size, errno};
    if (whole == Size || !Last) return {whole, 0};
    // The partial block at the end cannot go directly.
    SetDirect(false);
    if (!WriteAll(Data + whole, Size - whole)) return {Size, errno};
    return {Size, 0};
}
