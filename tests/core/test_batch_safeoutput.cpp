// Output sets: a file whose filling fails part way leaves no descriptor open, no temporary
// beside it, and the older file of the same name as it was.
#include "safeoutput.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

namespace {
int OpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}
} // namespace

TEST(OutputSet, AFillThatThrowsLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/scores.csv";
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old\n");
    old.close();
    const int before = OpenDescriptors();
    {
        TOutputSet set;
        EXPECT_THROW(set.Write(path,
                               [](TTextSink& Out) {
                                   Out.Put("new");
                                   throw std::runtime_error("the input changed");
                               }),
                     std::runtime_error);
        EXPECT_EQ(OpenDescriptors(), before);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old\n"));
}
