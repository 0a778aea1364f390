#include "RecordingDialogs.h"
#include "analysis.h"
#include "mainfrm.h"

#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override
    {
        AnalysisStartUp();
        form = std::make_unique<TForm1>();
        form->show();
    }
    void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void ClickScaling(int item) { Click(form->RGScaling->Button(item)); }
    QWidget* Page() const { return form->PageControl1->currentWidget(); }
    std::vector<double> Column1Values() const
    {
        std::vector<double> values;
        for (int row = 1; row <= form->ValedData->NrOfRows(); ++row)
            values.push_back(form->ValedData->Elem(1, row));
        return values;
    }

    TRecordingDialogs dialogs;
    TScopedDialogService useDialogs{&dialogs};
    std::unique_ptr<TForm1> form;
};
} // namespace

TEST_F(MainWindow, StartsEmptyOnTheDataPageWithCovarianceChosen)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Principal Component Analysis"));
    EXPECT_EQ(Page(), form->TSData);
    EXPECT_EQ(form->RGScaling->ItemIndex(), 1);
    EXPECT_EQ(form->ValedData->NrOfColumns(), 3);
    EXPECT_EQ(form->ValedData->NrOfRows(), 4);
    EXPECT_TRUE(form->KXScores->Points().empty());
    EXPECT_EQ(form->PageControl1->tabText(1), QStringLiteral("PCA Scores"));
    EXPECT_EQ(form->RGScaling->title(), QStringLiteral(" Scaling "));
}

TEST_F(MainWindow, NewDataFillsFiveByOneHundredFiftyWithThreeClasses)
{
    Click(form->BButNewData);
    ASSERT_EQ(form->ValedData->NrOfColumns(), 5);
    ASSERT_EQ(form->ValedData->NrOfRows(), 150);
    for (int row = 1; row <= 150; ++row) ASSERT_EQ(form->ValedData->RowAttrib(row), row % 3 + 1);
    // Each column is three times the previous one plus noise, so values grow along a row.
    EXPECT_GT(form->ValedData->Elem(5, 1), form->ValedData->Elem(1, 1));
    const QString pictures = QStringLiteral(ZEV_TEST_OUTPUT_DIR);
    EXPECT_TRUE(form->grab().save(pictures + QStringLiteral("/mainwindow_newdata.png")));

    // Start-up fixes the series: a fresh start gives the same table again, a second click not.
    const std::vector<double> first = Column1Values();
    Click(form->BButNewData);
    EXPECT_NE(Column1Values(), first);
    AnalysisStartUp();
    Click(form->BButNewData);
    EXPECT_EQ(Column1Values(), first);
}

TEST_F(MainWindow, PerformPCASwitchesFromDataToScoresButKeepsAPlotPage)
{
    Click(form->BButNewData);
    Click(form->BButPerformPCA);
    EXPECT_EQ(Page(), form->TSScores);
    ASSERT_EQ(form->KXScores->Points().size(), 150u);
    EXPECT_EQ(form->KXScores->Points()[0].Color, ClassColor(2));
    ASSERT_EQ(form->KXLoadings->Points().size(), 5u);
    EXPECT_EQ(form->KXLoadings->Points()[4].Label, QStringLiteral("5"));
    EXPECT_EQ(form->KXScores->Caption(), QStringLiteral("Score/Score Plot - Covariance Matrix"));
    EXPECT_EQ(form->Mean->NrOfElem(), 5);

    form->PageControl1->setCurrentWidget(form->TSLoadings);
    Click(form->BButPerformPCA);
    EXPECT_EQ(Page(), form->TSLoadings);
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(form->grab().save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/mainwindow_loadings.png")));
}

TEST_F(MainWindow, ChoosingAnotherScalingRerunsTheAnalysis)
{
    Click(form->BButNewData);
    ClickScaling(2);
    EXPECT_EQ(Page(), form->TSScores);
    EXPECT_EQ(form->KXLoadings->Caption(),
              QStringLiteral("Loading/Loading Plot - Correlation Matrix"));
    ASSERT_EQ(form->StdDev->NrOfElem(), 5);
    EXPECT_GT(form->StdDev->Elem(1), 0.0);
    EXPECT_NE(form->StdDev->Elem(1), 1.0);
    ClickScaling(0);
    EXPECT_EQ(form->Mean->Elem(1), 0.0);
    EXPECT_EQ(form->KXScores->Caption(), QStringLiteral("Score/Score Plot - Scatter Matrix"));
}

TEST_F(MainWindow, FailedAnalysisShowsItsMessageAndChangesNothing)
{
    Click(form->BButNewData);
    Click(form->BButPerformPCA);
    const auto scores = form->KXScores->Points().size();
    const double mean1 = form->Mean->Elem(1);
    form->ValedData->SetNrOfRows(1); // one observation cannot give components
    Click(form->BButPerformPCA);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Cannot calculate principal components"));
    EXPECT_EQ(dialogs.Messages[0].Type, mtInformation);
    EXPECT_EQ(dialogs.Messages[0].Buttons, TMsgDlgButtons(mbOK));
    EXPECT_EQ(form->KXScores->Points().size(), scores);
    EXPECT_EQ(form->Mean->Elem(1), mean1);
    EXPECT_EQ(form->Mean->NrOfElem(), 5);
}

TEST_F(MainWindow, LoadShowsTheDataPageAndFillsTheEditorFromTheChosenFile)
{
    form->PageControl1->setCurrentWidget(form->TSScores);
    dialogs.FileAnswers = {QString()}; // cancelled
    Click(form->BButLoadData);
    EXPECT_EQ(Page(), form->TSData);
    EXPECT_EQ(form->ValedData->NrOfRows(), 4);
    ASSERT_EQ(dialogs.OpenRequests.size(), 1u);
    EXPECT_EQ(dialogs.OpenRequests[0], QStringLiteral("*.asc"));

    dialogs.FileAnswers = {QStringLiteral(ZEV_EXAMPLES_DIR "/iris.asc")};
    Click(form->BButLoadData);
    EXPECT_EQ(form->ValedData->NrOfColumns(), 4);
    EXPECT_EQ(form->ValedData->NrOfRows(), 150);
    EXPECT_EQ(form->ValedData->ColName(1), QStringLiteral("sepal length"));
    EXPECT_DOUBLE_EQ(form->ValedData->Elem(1, 1), 5.1);
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(form->grab().save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/mainwindow_iris.png")));
}

TEST_F(MainWindow, AnErrorWhileLoadingIsShownAndTheProgramGoesOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("badlevel.asc"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("bad level section\r\n1\r\n2\r\nTRUE TRUE TRUE TRUE\r\nA\r\n"
               "1 r1 1.5\r\n2 r2 2.5\r\n<VARTYPES>\r\nx Nominal\r\n</VARTYPES>\r\n");
    file.close();
    dialogs.FileAnswers = {path};
    Click(form->BButLoadData);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Type, mtError);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains(QStringLiteral("'x'")));
    Click(form->BButNewData); // still running and responsive
    EXPECT_EQ(form->ValedData->NrOfRows(), 150);
}

TEST_F(MainWindow, LoadingANamedFileFillsTheEditorAsTheLoadButtonDoes)
{
    form->LoadDataFile(QStringLiteral(ZEV_EXAMPLES_DIR "/showcase.asc"));
    EXPECT_EQ(form->ValedData->NrOfColumns(), 4);
    EXPECT_EQ(form->ValedData->NrOfRows(), 5);
    EXPECT_EQ(form->ValedData->RowName(2), QStringLiteral("Ben \"the elder\" Smith"));
    EXPECT_TRUE(dialogs.OpenRequests.empty());
    EXPECT_TRUE(dialogs.Messages.empty());
}
