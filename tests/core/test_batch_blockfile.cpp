// Files written in whole blocks through the text sink: every byte arrives in order, whatever the
// sizes of the parts, with direct writes and without; errors reach the sink.
#include "blockfile.h"
#include "textsink.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace {
std::string ReadBack(const QByteArray& Path)
{
    QFile file(QString::fromLocal8Bit(Path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
}

// Parts of these sizes, each of its own letter, through one sink into a new file in Dir; whether
// the file took direct writes.
bool WriteParts(const QString& Dir, const std::vector<std::size_t>& Sizes)
{
    const QByteArray path = QString(Dir + "/parts").toLocal8Bit();
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(fd, 0);
    const bool direct = TBlockFile(fd).Direct();
    std::string want;
    {
        TTextSink sink(fd);
        for (std::size_t i = 0; i < Sizes.size(); ++i) {
            const std::string part(Sizes[i], char('a' + i % 26));
            sink.Put(part);
            want += part;
        }
        EXPECT_TRUE(sink.Flush());
    }
    ::close(fd);
    EXPECT_EQ(ReadBack(path), want);
    return direct;
}
} // namespace

TEST(BlockFile, EveryByteArrivesInOrderAcrossBlocksAndBuffers)
{
    constexpr std::size_t block = TBlockFile::BlockBytes, buffer = std::size_t(4) << 20;
    const std::vector<std::vector<std::size_t>> cases = {
        {},
        {1},
        {block - 1, 1, block + 1},
        {block, block, block},
        {buffer - 1, 2, 3 * block + 7},
        {buffer / 2 + 1, buffer + block + 1, 5},
        {3 * buffer + 5, block - 3, buffer / 3},
    };
    QTemporaryDir dir;
    struct statfs info {};
    ASSERT_EQ(::statfs(dir.path().toLocal8Bit().constData(), &info), 0);
    constexpr long Ext = 0xEF53, Xfs = 0x58465342;
    for (const auto& sizes : cases)
        EXPECT_EQ(WriteParts(dir.path(), sizes), info.f_type == Ext || info.f_type == Xfs);
}

TEST(BlockFile, AWriteErrorReachesTheSink)
{
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        TTextSink sink(fd);
        sink.Put(std::string(3 * TBlockFile::BlockBytes + 1, 'x'));
        EXPECT_FALSE(sink.Flush());
        EXPECT_EQ(sink.Errno(), ENOSPC);
    }
    ::close(fd);
}
