// The console program on text tables and with --missing, run as a user runs it.
#include "batch_run.h"
#include "missing.h"

TEST(BatchTextTable, IrisAsCsvGivesTheOutputOfIrisAsAscByteForByte)
{
    for (const char* scaling : {"scatter", "covariance", "correlation"}) {
        const TRun asc = RunBatch({"--scaling", scaling, Example("iris.asc")});
        const TRun csv = RunBatch({"--scaling", scaling, Example("iris.csv")});
        ASSERT_EQ(asc.ExitCode, 0) << asc.Err.toStdString();
        ASSERT_EQ(csv.ExitCode, 0) << csv.Err.toStdString();
        EXPECT_EQ(csv.Out, asc.Out) << scaling;
        EXPECT_EQ(csv.Err, QByteArray());
    }
}

TEST(BatchTextTable, AFaultInATextTableSaysWhere)
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir, "bad.csv", "a,b\n1,2\n3,4,5\n");
    const TRun run = RunBatch({file});
    EXPECT_EQ(run.ExitCode, 3);
    EXPECT_EQ(run.Out, QByteArray());
    EXPECT_EQ(run.Err.toStdString(),
              "pca-batch: cannot read \"" + file.toStdString() +
                  "\": line 3, column 3: expected 2 fields, as on line 1; found 3\n");
}

// showcase.asc: row 2 ("Ben ...") has an empty weight, row 4 a grade that is not a number.
TEST(BatchTextTable, MissingCellsInEachMode)
{
    const QString showcase = Example("showcase.asc");
    const QString quoted = "\"" + showcase + "\": ";
    const TRun plain = RunBatch({showcase});
    const TRun zero = RunBatch({"--missing", "zero", showcase});
    ASSERT_EQ(plain.ExitCode, 0);
    EXPECT_EQ(zero.Out, plain.Out); // the window's analysis, unchanged
    EXPECT_EQ(plain.Err, zero.Err);
    EXPECT_EQ(zero.Err.toStdString(),
              "pca-batch: note: " + quoted.toStdString() +
                  "1 empty cell and 1 cell that is not a number enter the analysis as 0 "
                  "(--missing drop leaves their rows out)\n");

    const TRun error = RunBatch({"--missing", "error", showcase});
    EXPECT_EQ(error.ExitCode, 3);
    EXPECT_EQ(error.Out, QByteArray());
    EXPECT_EQ(error.Err.toStdString(),
              "pca-batch: " + quoted.toStdString() +
                  "row 2 (\"Ben \"the elder\" Smith\"), column 3 (\"Weight (kg)\") is empty "
                  "(--missing error)\n");

    const TRun bad = RunBatch({"--missing", "mean", showcase});
    EXPECT_EQ(bad.ExitCode, 2);
    EXPECT_TRUE(bad.Err.contains("Unknown missing-value mode \"mean\"."));
}

// Leaving rows out gives what a file without them gives, the rows still known by their names.
TEST(BatchTextTable, DropAnalysesTheOtherRowsByName)
{
    QTemporaryDir dir;
    const QString holes = WriteFile(dir, "holes.csv",
                                    "name,x,y,class\na,1,2,1\nb,NA,3,2\nc,2,5,1\nd,4,oops,2\n"
                                    "e,3,3,2\nf,5,8,1\n");
    const QString whole =
        WriteFile(dir, "whole.csv", "name,x,y,class\na,1,2,1\nc,2,5,1\ne,3,3,2\nf,5,8,1\n");
    for (const char* format : {"csv", "json"}) {
        const TRun dropped = RunBatch({"--missing", "drop", "--format", format, holes});
        const TRun reference = RunBatch({"--format", format, whole});
        ASSERT_EQ(dropped.ExitCode, 0) << dropped.Err.toStdString();
        QByteArray out = dropped.Out;
        EXPECT_EQ(out.replace("holes.csv", "whole.csv"), reference.Out) << format;
        EXPECT_EQ(dropped.Err.toStdString(),
                  "pca-batch: note: \"" + holes.toStdString() +
                      "\": left out 2 of 6 rows for an empty cell or one that is not a number\n");
    }
    const QString none = WriteFile(dir, "none.csv", "x,y\n1,NA\n?,2\n");
    const TRun empty = RunBatch({"--missing", "drop", none});
    EXPECT_EQ(empty.ExitCode, 4);
    EXPECT_TRUE(empty.Err.contains("no row is left to analyse")) << empty.Err.toStdString();
}

// One missing cell in a corner or in the middle of a table is counted and named, whichever
// column and row it is in.
TEST(MissingCells, OneInAnyCornerIsFound)
{
    constexpr int cols = 3, rows = 9;
    struct TCase {
        int Col, Row;
        std::uint8_t State;
    };
    for (const TCase c : {TCase{1, 1, dtcsEmpty},
                          {cols, 1, dtcsNotANumber},
                          {1, rows, dtcsEmpty},
                          {cols, rows, dtcsNotANumber},
                          {2, 5, dtcsEmpty}}) {
        TDataTable table;
        table.Resize(cols, rows);
        table.SetCellState(c.Col, c.Row, c.State);
        const TMissingCells cells = CountMissingCells(table);
        EXPECT_EQ(cells.Total(), 1) << c.Col << ", " << c.Row;
        EXPECT_EQ(cells.FirstCol, c.Col);
        EXPECT_EQ(cells.FirstRow, c.Row);
        EXPECT_EQ(cells.FirstEmpty, c.State == dtcsEmpty);
    }
    TDataTable none;
    none.Resize(cols, rows);
    EXPECT_EQ(CountMissingCells(none).Total(), 0);
}
