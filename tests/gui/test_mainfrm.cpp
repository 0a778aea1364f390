#include "RecordingDialogs.h"
#include "analysis.h"
#include "mainfrm.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>

// Readable texts in failure messages.
inline void PrintTo(const QString& S, std::ostream* Os)
{
    *Os << '"' << S.toStdString() << '"';
}

#include <cstring>

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

    // Writes a file into the test's folder and returns its path.
    QString WriteFile(const QString& Name, const std::string& Content)
    {
        const QString path = dir.filePath(Name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Content.data(), qint64(Content.size()));
        return path;
    }
    void Load(const QString& Path)
    {
        dialogs.FileAnswers = {Path};
        Click(form->BButLoadData);
    }

    QTemporaryDir dir;

    static std::vector<TkxChartItem> Items(const TKurvex* Chart)
    {
        return {Chart->DataItems().begin(), Chart->DataItems().end()};
    }
    static bool SameItems(const std::vector<TkxChartItem>& A, const std::vector<TkxChartItem>& B)
    {
        return A.size() == B.size() &&
               std::memcmp(A.data(), B.data(), A.size() * sizeof(TkxChartItem)) == 0;
    }
    // Both plot pages as the window shows them.
    void SavePlotPages(const QString& Name)
    {
        const QString folder = QStringLiteral(ZEV_TEST_OUTPUT_DIR "/");
        form->PageControl1->setCurrentWidget(form->TSScores);
        EXPECT_TRUE(form->grab().save(folder + Name + QStringLiteral("_scores.png")));
        form->PageControl1->setCurrentWidget(form->TSLoadings);
        EXPECT_TRUE(form->grab().save(folder + Name + QStringLiteral("_loadings.png")));
    }

    TRecordingDialogs dialogs;
    TScopedDialogService useDialogs{&dialogs};
    std::unique_ptr<TForm1> form;
};

std::string Rows(int Count, const char* Row)
{
    std::string rows;
    for (int i = 0; i < Count; ++i) rows += Row;
    return rows;
}
} // namespace

TEST_F(MainWindow, StartsEmptyOnTheDataPageWithCovarianceChosen)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Principal Component Analysis"));
    EXPECT_EQ(Page(), form->TSData);
    EXPECT_EQ(form->RGScaling->ItemIndex(), 1);
    EXPECT_EQ(form->ValedData->NrOfColumns(), 3);
    EXPECT_EQ(form->ValedData->NrOfRows(), 4);
    EXPECT_EQ(form->KXScores->DataItems().Count(), 0);
    EXPECT_EQ(form->KXLoadings->DataItems().Count(), 0);
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
    ASSERT_EQ(form->KXScores->DataItems().Count(), 150);
    EXPECT_EQ(form->KXScores->DataItems()[0].Color, ClassColor(2));
    // Two axes, the pen move and one label per column.
    ASSERT_EQ(form->KXLoadings->DataItems().Count(), 8);
    EXPECT_EQ(form->KXLoadings->DataItems()[7].Text.ToString(), QStringLiteral("5"));
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
    const std::vector<TkxChartItem> scores = Items(form->KXScores);
    const std::vector<TkxChartItem> loadings = Items(form->KXLoadings);
    const double mean1 = form->Mean->Elem(1);
    form->ValedData->SetNrOfRows(1); // one observation cannot give components
    Click(form->BButPerformPCA);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Cannot calculate principal components"));
    EXPECT_EQ(dialogs.Messages[0].Type, mtInformation);
    EXPECT_EQ(dialogs.Messages[0].Buttons, TMsgDlgButtons(mbOK));
    EXPECT_TRUE(SameItems(Items(form->KXScores), scores));
    EXPECT_TRUE(SameItems(Items(form->KXLoadings), loadings));
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

TEST_F(MainWindow, AFailedLoadSaysWhatWentWrongAndWhere)
{
    const std::string header = "c\r\n2\r\n20\r\nFALSE FALSE FALSE FALSE\r\n";
    struct Row {
        const char* Name;
        std::string Content;
        QString Message; // after the file's name and a blank line
        int Rows;        // of the table afterwards
    };
    const Row rows[] = {
        {"bad column count", "c\r\nmany\r\n3\r\nFALSE FALSE FALSE FALSE\r\n",
         "Line 2: the number of columns is not a positive whole number. The table is unchanged.",
         4},
        {"bad switch", "c\r\n2\r\n3\r\nYES FALSE FALSE FALSE\r\n",
         "Line 4: each of the first three switches must be TRUE or FALSE. The table is unchanged.",
         4},
        {"line feed in line 1", "c\nx\r\n2\r\n3\r\nFALSE FALSE FALSE FALSE\r\n",
         "Line 1 runs on past a line feed: the lines of the file must end with CR LF. The table "
         "is unchanged.",
         4},
        {"LF line ends", "broken\n3 columns\n2 rows\nTRUE TRUE TRUE TRUE\na b c\n1 x 1 2 3\n",
         "Line 1 runs on past a line feed: the lines of the file must end with CR LF. The table "
         "is unchanged.",
         4},
        {"cell in row 17", header + Rows(16, "1 2\r\n") + "3 x\r\n",
         "Row 17: a cell is missing or not a number. The table holds the 16 rows before it and "
         "row 17 up to that cell.",
         17},
        {"first row", header + "x",
         "Row 1: a cell is missing or not a number. The table holds row 1 up to that cell.", 1},
        {"class number in row 2", "c\r\n1\r\n5\r\nTRUE FALSE FALSE FALSE\r\n1 7\r\nA 8\r\n",
         "Row 2: the class number is not a number. The table holds the row before it and row 2 "
         "without values.",
         2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        dialogs.Messages.clear();
        Load(WriteFile(QStringLiteral("bad.asc"), r.Content));
        ASSERT_EQ(dialogs.Messages.size(), 1u);
        EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("bad.asc\n\n") + r.Message);
        EXPECT_EQ(dialogs.Messages[0].Type, mtWarning);
        EXPECT_EQ(form->ValedData->NrOfRows(), r.Rows);
    }
}

TEST_F(MainWindow, TheOpenDialogStartsInTheFolderOfTheLastFileLoaded)
{
    dialogs.FileAnswers = {QString()};
    Click(form->BButLoadData);
    Load(QStringLiteral(ZEV_EXAMPLES_DIR "/iris.asc"));
    Load(WriteFile(QStringLiteral("small.asc"), "c\r\n1\r\n1\r\nFALSE FALSE FALSE FALSE\r\n5"));
    dialogs.FileAnswers = {QString()};
    Click(form->BButLoadData);
    ASSERT_EQ(dialogs.OpenDirs.size(), 4u);
    EXPECT_EQ(dialogs.OpenDirs[0], QString());
    EXPECT_EQ(dialogs.OpenDirs[1], QString()); // cancelling chose no folder
    EXPECT_EQ(dialogs.OpenDirs[2], QFileInfo(QStringLiteral(ZEV_EXAMPLES_DIR)).absoluteFilePath());
    EXPECT_EQ(dialogs.OpenDirs[3], QFileInfo(dir.path()).absoluteFilePath());
}

TEST_F(MainWindow, TabVisitsLoadPerformTheCheckedScalingNewDataThenThePages)
{
    QApplication::setActiveWindow(form.get());
    form->BButLoadData->setFocus(Qt::TabFocusReason);
    auto* covariance = form->RGScaling->Button(1);
    const std::vector<QWidget*> forward = {form->BButPerformPCA, covariance, form->BButNewData,
                                           form->PageControl1->tabBar()};
    for (QWidget* expected : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->metaObject()->className();
    }
    // Backwards from New Data, and into the group on another checked item.
    form->BButNewData->setFocus(Qt::TabFocusReason);
    form->RGScaling->SetItemIndex(2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), form->RGScaling->Button(2));
    // Arrow keys move within the group.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), form->RGScaling->Button(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), form->BButPerformPCA);
}

TEST_F(MainWindow, TheGridPaintsAgainWhenNewDataFails)
{
    // Any failure half way: here the first write into the table.
    form->ValedData->DataTable()->OnChange = [](TObject*) { throw std::runtime_error("no room"); };
    Click(form->BButNewData);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("no room"));
    EXPECT_FALSE(form->ValedData->SuppressPaint());
}

// A box belongs to the main window, also when the window that was active (a file dialog) has
// just gone, and stays until the user answers it.
TEST(MainWindowMessages, BoxesBelongToTheMainWindowAndStayUntilAnswered)
{
    TForm1 form;
    form.show();
    {
        QDialog fileDialog(&form);
        fileDialog.show();
        QApplication::setActiveWindow(&fileDialog);
    }
    QWidget* owner = nullptr;
    bool stillShown = false;
    QTimer::singleShot(600, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        owner = box->parentWidget();
        stillShown = box->isVisible();
        box->button(QMessageBox::Ok)->click();
    });
    // A safety net: the box must not keep the test waiting when it is not found.
    QTimer::singleShot(3000, [] {
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    EXPECT_EQ(MessageDlg(QStringLiteral("Row 1: a cell is not a number."), mtWarning, mbOK), mrOk);
    EXPECT_EQ(owner, &form);
    EXPECT_TRUE(stillShown);
}

// The window's font has a 13-pixel cell: words of the headings and ten-character numbers fit
// the columns the window gives them.
TEST_F(MainWindow, HeadingsAndTenCharacterNumbersFitTheirColumns)
{
    Load(WriteFile(QStringLiteral("wide.asc"),
                   "c\r\n3\r\n2\r\nFALSE FALSE FALSE FALSE\r\n"
                   "123456.789 -12345.678 1.5\r\n999999.999 0.001 -9999.999\r\n"));
    ASSERT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(form->grab().save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/mainwindow_numbers.png")));
    const QFontMetrics metrics(form->ValedData->Font()->ToQFont());
    EXPECT_LE(metrics.height(), 13);
    // Data cells start their text 2 pixels in and lose one to the grid line.
    for (int col = 1; col <= 3; ++col)
        for (int row = 1; row <= 2; ++row) {
            const QString text = form->ValedData->CellText(col, row);
            EXPECT_LE(metrics.horizontalAdvance(text), form->ValedData->ColWidths(col + 1) - 3)
                << text.toStdString();
        }
    // "Attrib" stands in the 32-pixel attribute column, inset by a pixel on each side.
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("Attrib")),
              form->ValedData->ColWidths(1) - 2 - 2);
}

TEST_F(MainWindow, PlotsAfterEachScalingAndAfterLoadingIris)
{
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    Click(form->BButNewData);
    const char* names[] = {"plots_scatter", "plots_covariance", "plots_correlation"};
    for (int scaling = 0; scaling < 3; ++scaling) {
        SCOPED_TRACE(names[scaling]);
        ClickScaling(scaling);
        const TKurvex* loadings = form->KXLoadings;
        // The grey axes through the origin are always there, and the range covers them.
        ASSERT_GE(loadings->DataItems().Count(), 2);
        for (int i = 0; i < 2; ++i) {
            const TkxChartItem& axis = loadings->DataItems()[i];
            EXPECT_EQ(axis.Kind, ikLine);
            EXPECT_EQ(axis.Color, 8421504u);
            EXPECT_EQ(axis.CoordMode, cmWorld);
            EXPECT_EQ(std::abs(axis.X - axis.X2) + std::abs(axis.Y - axis.Y2), 2.0);
        }
        for (const TScaleProps* p : {static_cast<const TScaleProps*>(loadings->Scale1X()),
                                     static_cast<const TScaleProps*>(loadings->Scale1Y())}) {
            EXPECT_LE(std::min(p->RangeLow(), p->RangeHigh()), -1.06);
            EXPECT_GE(std::max(p->RangeLow(), p->RangeHigh()), 1.06);
        }
        // The score plot's range is the marks' extent widened by 3 % of its span on each side.
        const TKurvex* scores = form->KXScores;
        for (const auto& [props, coord] :
             {std::pair{static_cast<const TScaleProps*>(scores->Scale1X()), &TkxChartItem::X},
              std::pair{static_cast<const TScaleProps*>(scores->Scale1Y()), &TkxChartItem::Y}}) {
            double low = 1e300, high = -1e300;
            for (const TkxChartItem& mark : scores->DataItems()) {
                low = std::min(low, mark.*coord);
                high = std::max(high, mark.*coord);
            }
            const double margin = 0.03 * (high - low);
            EXPECT_DOUBLE_EQ(props->RangeLow(), low - margin);
            EXPECT_DOUBLE_EQ(props->RangeHigh(), high + margin);
        }
        EXPECT_EQ(form->KXScores->Scale1X()->Caption(), QStringLiteral("PC 1"));
        EXPECT_EQ(loadings->Scale1Y()->Caption(), QStringLiteral("PC 2"));
        SavePlotPages(QString::fromLatin1(names[scaling]));
    }
    dialogs.FileAnswers = {QStringLiteral(ZEV_EXAMPLES_DIR "/iris.asc")};
    Click(form->BButLoadData);
    Click(form->BButPerformPCA);
    EXPECT_EQ(form->KXScores->DataItems().Count(), 150);
    EXPECT_EQ(form->KXLoadings->DataItems().Count(), 2 + 1 + 4);
    SavePlotPages(QStringLiteral("plots_iris"));
}

// Shrunk as far as it goes, the window still shows every tool bar control whole and leaves the
// plots room for their axes and caption.
TEST_F(MainWindow, ShrinksNoFurtherThanItsControlsAndPlotsStayReadable)
{
    Click(form->BButNewData);
    Click(form->BButPerformPCA);
    form->resize(154, 156);
    QApplication::processEvents();
    EXPECT_EQ(form->size(), form->minimumSize());
    const QRect window = form->rect();
    for (QWidget* control : std::initializer_list<QWidget*>{
             form->BButNewData, form->BButLoadData, form->BButPerformPCA, form->RGScaling}) {
        const QRect shown(control->mapTo(form.get(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(window.contains(shown)) << control->objectName().toStdString();
    }
    form->PageControl1->setCurrentWidget(form->TSScores);
    QApplication::processEvents();
    EXPECT_GE(form->KXScores->width(), 400);
    EXPECT_GE(form->KXScores->height(), 240);
    QDir().mkpath(QStringLiteral(ZEV_TEST_OUTPUT_DIR));
    EXPECT_TRUE(form->grab().save(QStringLiteral(ZEV_TEST_OUTPUT_DIR "/mainwindow_smallest.png")));
}

TEST_F(MainWindow, RunsRebuildThePlotsFromNothing)
{
    Click(form->BButNewData);
    Click(form->BButPerformPCA);
    const std::vector<TkxChartItem> scores = Items(form->KXScores);
    const std::vector<TkxChartItem> loadings = Items(form->KXLoadings);
    const double low = form->KXScores->Scale1X()->RangeLow();
    const QImage picture = form->KXScores->Picture().copy();
    Click(form->BButPerformPCA);
    EXPECT_TRUE(SameItems(Items(form->KXScores), scores));
    EXPECT_TRUE(SameItems(Items(form->KXLoadings), loadings));
    EXPECT_EQ(form->KXScores->Scale1X()->RangeLow(), low);
    EXPECT_EQ(form->KXScores->Picture(), picture);
}

TEST_F(MainWindow, OneColumnPutsEveryScoreOnTheHorizontalAxis)
{
    Click(form->BButNewData);
    form->ValedData->SetNrOfColumns(1);
    Click(form->BButPerformPCA);
    ASSERT_TRUE(dialogs.Messages.empty());
    ASSERT_EQ(form->KXScores->DataItems().Count(), 150);
    for (const TkxChartItem& mark : form->KXScores->DataItems()) ASSERT_EQ(mark.Y, 0.0);
    const TkxChartItem& label = form->KXLoadings->DataItems()[3];
    EXPECT_EQ(label.Text.ToString(), QStringLiteral("1"));
    EXPECT_EQ(std::abs(label.X), 1.0);
    EXPECT_EQ(label.Y, 0.0);
}
