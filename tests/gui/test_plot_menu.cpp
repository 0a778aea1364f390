#include "MemoryClipboard.h"
#include "PlotWindow.h"
#include "ZEV_math2.h"
#include "eigenvaluedialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>

namespace {
QStringList Captions(QMenu& Menu)
{
    QStringList texts;
    for (QAction* a : Menu.actions())
        if (!a->isSeparator()) texts << a->text();
    return texts;
}

std::vector<TkxChartItem> Items(const TKurvex* Chart)
{
    return {Chart->DataItems().begin(), Chart->DataItems().end()};
}
bool SameItems(const std::vector<TkxChartItem>& A, const std::vector<TkxChartItem>& B)
{
    return A.size() == B.size() &&
           std::memcmp(A.data(), B.data(), A.size() * sizeof(TkxChartItem)) == 0;
}
} // namespace

TEST_F(PlotWindow, BothPlotsOfferTheirItemsOnARightClick)
{
    NewDataAndPCA();
    const QStringList common = {QStringLiteral("Label Points"), QStringLiteral("Equal Axis Scales"),
                                QStringLiteral("Explained Variance on Axes"),
                                QStringLiteral("Eigenvalues..."), QStringLiteral("Copy Image"),
                                QStringLiteral("Save Image As..."), QStringLiteral("Print...")};
    const struct {
        TPlotKind Kind;
        QStringList Expected;
    } cases[] = {
        {pkScores, QStringList{"Components", "Show Legend"} + common},
        {pkLoadings, QStringList{"Components"} + common},
    };
    for (const auto& c : cases) {
        std::vector<QStringList> seen;
        ShowPage(c.Kind);
        TMenuPicker picker({QStringLiteral("Components"), QStringLiteral("Vertical Axis"), {}});
        picker.OnShown = [&](QMenu& Menu) { seen.push_back(Captions(Menu)); };
        QTest::mouseClick(Chart(c.Kind), Qt::RightButton, {}, QPoint(100, 100));
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0], c.Expected);
        EXPECT_EQ(seen[1], (QStringList{"Horizontal Axis", "Vertical Axis"}));
        EXPECT_EQ(seen[2], (QStringList{"PC 1", "PC 2", "PC 3", "PC 4", "PC 5"}));
    }
}

TEST_F(PlotWindow, ComponentsChooseTheAxesOfBothPlotsAndComeBackToTheWindowsOwnPlots)
{
    NewDataAndPCA();
    ShowPage(pkLoadings); // laid out at the window's size
    const QImage scores = Chart(pkScores)->Picture().copy();
    const QImage loadings = Chart(pkLoadings)->Picture().copy();
    const auto scoreItems = Items(Chart(pkScores)), loadingItems = Items(Chart(pkLoadings));

    Choose(pkScores, {"Components", "Vertical Axis", "PC 3"});
    for (TPlotKind kind : {pkScores, pkLoadings}) {
        EXPECT_EQ(Chart(kind)->Scale1X()->Caption(), QStringLiteral("PC 1"));
        EXPECT_EQ(Chart(kind)->Scale1Y()->Caption(), QStringLiteral("PC 3"));
    }
    // The marks stand at the scores on component 3, as the engine's loadings give them.
    const TScoreProjector projector(*form->Mean, *form->StdDev, 3);
    const TDataTableDataSet data(*form->ValedData->DataTable());
    for (int r : {1, 77, 150}) {
        double s[3];
        projector.Project(data, r, s);
        EXPECT_EQ(Chart(pkScores)->DataItems()[r - 1].Y, s[2]) << r;
    }
    EXPECT_EQ(Chart(pkLoadings)->DataItems()[3].Y, EigVecElem(3, 1));
    ShowPage(pkScores);
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_pc1_pc3.png"));

    Choose(pkLoadings, {"Components", "Vertical Axis", "PC 2"});
    EXPECT_TRUE(Plots().Options().IsDefault());
    EXPECT_TRUE(SameItems(Items(Chart(pkScores)), scoreItems));
    EXPECT_TRUE(SameItems(Items(Chart(pkLoadings)), loadingItems));
    EXPECT_EQ(Chart(pkScores)->Picture(), scores);
    EXPECT_EQ(Chart(pkLoadings)->Picture(), loadings);
}

TEST_F(PlotWindow, ChoicesLastAcrossAnalysesAndAComponentBeyondTheDataFallsBack)
{
    NewDataAndPCA();
    Choose(pkScores, {"Components", "Horizontal Axis", "PC 5"});
    Choose(pkScores, {"Explained Variance on Axes"});
    QTest::mouseClick(form->RGScaling->Button(2), Qt::LeftButton);
    const QString expected =
        QStringLiteral("PC 5 (%1 %)").arg(QString::number(100 * EigVecElem(5, 0), 'f', 2));
    EXPECT_EQ(Chart(pkLoadings)->Scale1X()->Caption(), expected);
    EXPECT_EQ(Chart(pkScores)->Caption(), QStringLiteral("Score/Score Plot - Correlation Matrix"));

    form->ValedData->SetNrOfColumns(3);
    QTest::mouseClick(form->BButPerformPCA, Qt::LeftButton);
    EXPECT_EQ(Plots().Options().ComponentX, 1);
    EXPECT_EQ(Chart(pkScores)->Scale1Y()->Caption().left(6), QStringLiteral("PC 2 ("));
    Choose(pkScores, {"Explained Variance on Axes"});
    EXPECT_EQ(Chart(pkScores)->Scale1Y()->Caption(), QStringLiteral("PC 2"));
}

TEST_F(PlotWindow, EqualAxisScalesGiveOneUnitTheSameLengthOnBothAxes)
{
    NewDataAndPCA();
    Choose(pkScores, {"Equal Axis Scales"});
    for (TPlotKind kind : {pkScores, pkLoadings}) {
        EXPECT_TRUE(Chart(kind)->Isometric());
        const double kx = double(Chart(kind)->AxisMapX(1).K), ky = double(Chart(kind)->AxisMapY(1).K);
        // Up to the whole pixels the ranges are fitted to.
        EXPECT_NEAR(std::abs(ky) / std::abs(kx), 1.0, 3e-3);
    }
    Choose(pkLoadings, {"Equal Axis Scales"});
    EXPECT_FALSE(Chart(pkScores)->Isometric());
}

TEST_F(PlotWindow, TheLegendNamesEachClassInItsColour)
{
    NewDataAndPCA();
    Choose(pkScores, {"Show Legend"});
    const QRect box = Plots().Overlay(pkScores).LegendRect();
    ASSERT_FALSE(box.isEmpty());
    EXPECT_TRUE(QRect(Chart(pkScores)->MarginLeft(), Chart(pkScores)->MarginTop(),
                      Chart(pkScores)->PlotWidth(), Chart(pkScores)->PlotHeight())
                    .contains(box));
    const auto entries = LegendEntries(Plots().Snapshot());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].second, QStringLiteral("Class 3"));
    // Each class colour shows inside the box.
    const QImage picture = Chart(pkScores)->Picture().convertToFormat(QImage::Format_RGB32);
    for (int k = 1; k <= 3; ++k) {
        const QColor want = ToQColor(ClassColor(k));
        int count = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) count += picture.pixelColor(x, y) == want;
        EXPECT_GE(count, 7) << k;
    }
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_legend.png"));
    // The loading plot has no classes to explain.
    EXPECT_TRUE(Plots().Overlay(pkLoadings).LegendRect().isEmpty());
}

TEST_F(PlotWindow, EigenvaluesShowsTheTableTheScreePlotAndTheCellsThatWereNotNumbers)
{
    LoadAndPCA("iris.asc", 2);
    form->ValedData->DataTable()->SetCellState(2, 3, dtcsEmpty);
    form->ValedData->DataTable()->SetCellState(4, 9, dtcsNotANumber);
    QTest::mouseClick(form->BButPerformPCA, Qt::LeftButton);
    TMemoryClipboard clipboard;
    SetClipboard(&clipboard);
    bool seen = false;
    WhenModal([&](QWidget& W) {
        auto* dialog = dynamic_cast<TEigenvalueDialog*>(&W);
        ASSERT_NE(dialog, nullptr);
        seen = true;
        const QTableWidget& table = *dialog->Table();
        ASSERT_EQ(table.rowCount(), 4);
        EXPECT_EQ(table.item(3, 3)->text(), QStringLiteral("100.00"));
        EXPECT_EQ(table.item(0, 1)->text(), QString::number(AbsoluteEigVal(1), 'g', 8));
        EXPECT_EQ(dialog->ScreePlot()->DataItems().Count(), 1 + 3 + 4);
        bool noted = false;
        for (QLabel* l : dialog->findChildren<QLabel*>())
            noted = noted || l->text().startsWith(QStringLiteral("2 cells of the analysed block"));
        EXPECT_TRUE(noted);
        dialog->grab().save(Pictures() + "/plot_eigenvalues.png");
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Copy")) QTest::mouseClick(b, Qt::LeftButton);
    });
    Choose(pkLoadings, {"Eigenvalues..."});
    SetClipboard(nullptr);
    EXPECT_TRUE(seen);
    const QStringList lines = clipboard.Text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Component\tEigenvalue\t% of Total\tCumulative %"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1\t")));
    EXPECT_EQ(EmptyCellsNote(0), QStringLiteral("No cell of the analysed block was empty or not a number."));
    EXPECT_TRUE(EmptyCellsNote(1).startsWith(QStringLiteral("1 cell of the analysed block was ")));
}

TEST_F(PlotWindow, CopyImagePutsThePlotAsShownOnTheClipboard)
{
    NewDataAndPCA();
    Choose(pkScores, {"Copy Image"});
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
              Chart(pkScores)->Picture().convertToFormat(QImage::Format_RGB32));
}

TEST_F(PlotWindow, BeforeAnyAnalysisTheMenuOffersNoComponentsAndDrawsNothing)
{
    {
        TMenuPicker picker({QStringLiteral("Components")});
        ShowPage(pkScores);
        QTest::mouseClick(Chart(pkScores), Qt::RightButton, {}, QPoint(100, 100));
        EXPECT_EQ(picker.Refused, QStringList{"Components"});
    }
    Choose(pkScores, {"Label Points"});
    EXPECT_TRUE(Plots().Options().LabelPoints);
    EXPECT_EQ(Chart(pkScores)->DataItems().Count(), 0);
}
