#include "MemoryClipboard.h"
#include "PlotWindow.h"
#include "ZEV_math2.h"
#include "eigenvaluedialog.h"

#include <QClipboard>
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
QByteArray Items(const TKurvex* Chart)
{
    const auto& items = Chart->DataItems();
    return QByteArray(reinterpret_cast<const char*>(&*items.begin()),
                      qsizetype(items.Count() * sizeof(TkxChartItem)));
}
} // namespace

TEST_F(PlotWindow, BothPlotsOfferTheirItemsOnARightClick)
{
    NewDataAndPCA();
    for (TPlotKind kind : {pkScores, pkLoadings}) {
        std::vector<QStringList> seen;
        ShowPage(kind);
        TMenuPicker picker({"Components", "Vertical Axis", {}});
        picker.OnShown = [&](QMenu& Menu) { seen.push_back(Captions(Menu)); };
        QTest::mouseClick(Chart(kind), Qt::RightButton, {}, QPoint(100, 100));
        ASSERT_EQ(seen.size(), 3u);
        QStringList expected = {"Components",
                                "Show Legend",
                                "Label Points",
                                "Equal Axis Scales",
                                "Explained Variance on Axes",
                                "Eigenvalues...",
                                "Copy Image",
                                "Save Image As...",
                                "Print..."};
        if (kind == pkLoadings) expected.removeOne("Show Legend"); // it has no classes
        EXPECT_EQ(seen[0], expected);
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
    const QByteArray scoreItems = Items(Chart(pkScores)), loadingItems = Items(Chart(pkLoadings));

    Choose(pkScores, {"Components", "Vertical Axis", "PC 3"});
    for (TPlotKind kind : {pkScores, pkLoadings}) {
        EXPECT_EQ(Chart(kind)->Scale1X()->Caption(), QStringLiteral("PC 1"));
        EXPECT_EQ(Chart(kind)->Scale1Y()->Caption(), QStringLiteral("PC 3"));
    }
    const TScoreProjector projector(LastEigVecResult(), *form->Mean, *form->StdDev, 3);
    double s[3];
    projector.Project(TDataTableDataSet(*form->ValedData->DataTable()), 77, s);
    EXPECT_EQ(Chart(pkScores)->DataItems()[76].Y, s[2]);
    EXPECT_EQ(Chart(pkLoadings)->DataItems()[3].Y, EigVecElem(3, 1));
    ShowPage(pkScores);
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_pc1_pc3.png"));

    Choose(pkLoadings, {"Components", "Vertical Axis", "PC 2"});
    EXPECT_TRUE(Plots().Options().IsDefault());
    EXPECT_EQ(Items(Chart(pkScores)), scoreItems);
    EXPECT_EQ(Items(Chart(pkLoadings)), loadingItems);
    EXPECT_EQ(Chart(pkScores)->Picture(), scores);
    EXPECT_EQ(Chart(pkLoadings)->Picture(), loadings);
}

TEST_F(PlotWindow, ChoicesLastAcrossAnalysesAndAComponentBeyondTheDataFallsBack)
{
    NewDataAndPCA();
    Choose(pkScores, {"Components", "Horizontal Axis", "PC 5"});
    Choose(pkScores, {"Explained Variance on Axes"});
    QTest::mouseClick(form->RGScaling->Button(2), Qt::LeftButton);
    EXPECT_EQ(Chart(pkLoadings)->Scale1X()->Caption(),
              QStringLiteral("PC 5 (%1 %)").arg(100 * EigVecElem(5, 0), 0, 'f', 2));

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
        const double kx = double(Chart(kind)->AxisMapX(1).K),
                     ky = double(Chart(kind)->AxisMapY(1).K);
        EXPECT_NEAR(-ky / kx, 1.0, 3e-3); // up to the whole pixels the ranges are fitted to
    }
    Choose(pkLoadings, {"Equal Axis Scales"});
    EXPECT_FALSE(Chart(pkScores)->Isometric());
}

TEST_F(PlotWindow, TheLegendNamesEachClassInItsColour)
{
    NewDataAndPCA();
    Choose(pkScores, {"Show Legend"});
    const QRect box = Plots().Overlay(pkScores).LegendRect();
    const TKurvex& k = *Chart(pkScores);
    EXPECT_TRUE(QRect(k.MarginLeft(), k.MarginTop(), k.PlotWidth(), k.PlotHeight()).contains(box));
    const auto entries = LegendEntries(Plots().Snapshot());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].second, QStringLiteral("Class 3"));
    const QImage picture =
        Chart(pkScores)->Picture().copy(box).convertToFormat(QImage::Format_RGB32);
    for (int c = 1; c <= 3; ++c) {
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += picture.pixelColor(x, y) == ToQColor(ClassColor(c));
        EXPECT_GE(count, 7) << c; // a mark of each class colour
    }
    EXPECT_TRUE(form->grab().save(Pictures() + "/plot_legend.png"));
}

TEST_F(PlotWindow, EigenvaluesShowsTheTableTheScreePlotAndTheCellsThatWereNotNumbers)
{
    LoadAndPCA("iris.asc", 2);
    form->ValedData->DataTable()->SetCellState(2, 3, dtcsEmpty);
    form->ValedData->DataTable()->SetCellState(4, 9, dtcsNotANumber);
    QTest::mouseClick(form->BButPerformPCA, Qt::LeftButton);
    TMemoryClipboard clipboard;
    SetClipboard(&clipboard);
    QStringList shown;
    WhenModal([&](QWidget& W) {
        auto& dialog = dynamic_cast<TEigenvalueDialog&>(W);
        const QTableWidget& table = *dialog.Table();
        for (int c = 0; c < 4; ++c) shown << table.item(table.rowCount() - 1, c)->text();
        shown << QString::number(dialog.ScreePlot()->DataItems().Count());
        for (QLabel* l : dialog.findChildren<QLabel*>()) shown << l->text();
        dialog.grab().save(Pictures() + "/plot_eigenvalues.png");
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Copy")) QTest::mouseClick(b, Qt::LeftButton);
    });
    Choose(pkLoadings, {"Eigenvalues..."});
    SetClipboard(nullptr);
    ASSERT_EQ(shown.size(), 6);
    EXPECT_EQ(shown.mid(0, 4),
              (QStringList{"4", QString::number(AbsoluteEigVal(4), 'g', 8),
                           QString::number(100 * EigVecElem(4, 0), 'f', 2), "100.00"}));
    EXPECT_EQ(shown[4], "8"); // a move, three lines and four marks
    EXPECT_EQ(shown[5], EmptyCellsNote(2));
    EXPECT_TRUE(EmptyCellsNote(2).startsWith("2 cells of the analysed block were empty"));
    EXPECT_EQ(EmptyCellsNote(0), "No cell of the analysed block was empty or not a number.");
    const QStringList lines = clipboard.Text.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "Component\tEigenvalue\t% of Total\tCumulative %");
    EXPECT_EQ(lines[4], shown.mid(0, 4).join('\t'));
}

TEST_F(PlotWindow, CopyImagePutsThePlotAsShownOnTheClipboard)
{
    NewDataAndPCA();
    Choose(pkScores, {"Copy Image"});
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
              Chart(pkScores)->Picture().convertToFormat(QImage::Format_RGB32));
}
