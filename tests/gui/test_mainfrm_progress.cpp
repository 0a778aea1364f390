// Perform PCA on a table big enough to take a while: a modal progress dialog with Cancel, and a
// window that stays as it was when the user cancels.
#include "RecordingDialogs.h"
#include "analysis_runner.h"
#include "mainfrm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

std::vector<double> Cells(const TDataTable& Table)
{
    std::vector<double> cells;
    for (int c = 1; c <= Table.NrOfColumns(); ++c)
        for (int r = 1; r <= Table.NrOfRows(); ++r) cells.push_back(Table.DataMat()->Elem(c, r));
    return cells;
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

TEST(AnalysisRunner, OnlyTablesThatTakeAWhileGetADialog)
{
    const struct {
        int columns, rows;
        bool dialog;
    } rows[] = {{5, 150, false}, {200, 5000, false}, {50, 100000, false}, {10, 1000000, false},
                {300, 3, true},  {2000, 3, true},    {100, 1000000, true}};
    for (const auto& r : rows)
        EXPECT_EQ(TAnalysisRunner::TakesNoticeableTime(r.columns, r.rows), r.dialog)
            << r.columns << " x " << r.rows;
    EXPECT_EQ(SweepProgressText(7, 0.015625),
              QStringLiteral("Sweep 7 of at most 100\nOff-diagonal sum: 0.015625"));
}

TEST(MainWindowProgress, CancelOnAWideTableLeavesTableAndPlotsAsTheyWere)
{
    TRecordingDialogs dialogs;
    TScopedDialogService useDialogs{&dialogs};
    AnalysisStartUp();
    TForm1 form;
    form.show();
    // Plots of a small table first, drawn at once without a dialog.
    QTest::mouseClick(form.BButNewData, Qt::LeftButton);
    QTest::mouseClick(form.BButPerformPCA, Qt::LeftButton);
    ASSERT_TRUE(dialogs.Messages.empty());
    const std::vector<TkxChartItem> scores = Items(form.KXScores);
    const std::vector<TkxChartItem> loadings = Items(form.KXLoadings);
    const QImage scorePicture = form.KXScores->Picture().copy();
    const QImage loadingPicture = form.KXLoadings->Picture().copy();
    const double firstMean = form.Mean->Elem(1);
    const int components = EigVecCount();

    // Three rows of 2000 columns: minutes of sweeps.
    TDataTable& table = *form.ValedData->DataTable();
    table.Resize(2000, 3);
    for (int c = 1; c <= 2000; ++c)
        for (int r = 1; r <= 3; ++r) table.SetElem(c, r, (c * 7919 + r * 104729) % 1013 / 97.0);
    const std::vector<double> cells = Cells(table);

    QElapsedTimer clock;
    qint64 shown = -1, cancelled = -1;
    QString label;
    std::function<void()> watch = [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible() && shown < 0) shown = clock.elapsed();
        // Cancel once the dialog reports a sweep, or give up after ten seconds.
        const QLabel* text = dialog ? dialog->findChild<QLabel*>() : nullptr;
        if (text && text->text().startsWith(QStringLiteral("Sweep"))) {
            label = text->text();
            cancelled = clock.elapsed();
            QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
        } else if (clock.elapsed() < 10000) {
            QTimer::singleShot(5, watch);
        }
    };
    clock.start();
    QTimer::singleShot(0, watch);
    QTest::mouseClick(form.BButPerformPCA, Qt::LeftButton);
    const qint64 returned = clock.elapsed();

    ASSERT_GE(shown, 0) << "no progress dialog";
    EXPECT_LE(shown, 500);
    ASSERT_GE(cancelled, 0) << "no sweep reported";
    EXPECT_LE(returned - cancelled, 200);
    EXPECT_TRUE(label.contains(QStringLiteral("of at most 100"))) << label.toStdString();
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(Cells(table), cells);
    EXPECT_TRUE(SameItems(Items(form.KXScores), scores));
    EXPECT_TRUE(SameItems(Items(form.KXLoadings), loadings));
    EXPECT_EQ(form.KXScores->Picture(), scorePicture);
    EXPECT_EQ(form.KXLoadings->Picture(), loadingPicture);
    EXPECT_EQ(form.Mean->Elem(1), firstMean);
    EXPECT_EQ(EigVecCount(), components);
}
