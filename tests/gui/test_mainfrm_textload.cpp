// "Load Data From Disk" and the program's file argument on text tables.
#include "RecordingDialogs.h"
#include "analysis.h"
#include "mainfrm.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TextLoad : public ::testing::Test {
  protected:
    void SetUp() override
    {
        AnalysisStartUp();
        form = std::make_unique<TForm1>();
        form->show();
    }
    void Load(const QString& Path)
    {
        dialogs.FileAnswers = {Path};
        QTest::mouseClick(form->BButLoadData, Qt::LeftButton);
    }

    TRecordingDialogs dialogs;
    TScopedDialogService useDialogs{&dialogs};
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(TextLoad, TheDialogOffersAscFirstThenTextTables)
{
    EXPECT_EQ(form->ODiag1->Filter.split(QStringLiteral(";;")),
              (QStringList{"ASC data files (*.asc)", "Text tables (*.csv *.tsv *.txt)",
                           "All files (*)"}));
    Load(QStringLiteral(ZEV_EXAMPLES_DIR "/iris.csv"));
    ASSERT_EQ(dialogs.OpenRequests.size(), 1u);
    EXPECT_EQ(dialogs.OpenRequests[0], QStringLiteral("*.asc"));
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(form->ValedData->NrOfColumns(), 4);
    EXPECT_EQ(form->ValedData->NrOfRows(), 150);
    EXPECT_EQ(form->ValedData->RowName(51), QStringLiteral("versicolor-1"));
    EXPECT_EQ(form->ValedData->RowAttrib(51), 2);
}

TEST_F(TextLoad, AFaultIsShownAndTheTableStays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.csv"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("a;b\n1;2\n3;\"4\n");
    file.close();
    Load(QStringLiteral(ZEV_EXAMPLES_DIR "/iris.csv"));
    form->LoadDataFile(path);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Type, mtWarning);
    EXPECT_EQ(dialogs.Messages[0].Text,
              QStringLiteral("bad.csv\n\nLine 3, column 2: expected a closing quote for the field "
                             "that begins on this line. The table is unchanged."));
    EXPECT_EQ(form->ValedData->NrOfRows(), 150);
}
