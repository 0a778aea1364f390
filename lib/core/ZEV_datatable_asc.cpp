// The ASC data file reader of TDataTable: the file's header, names, rows and trailing sections
// go straight into the table's fields; the format itself is read by ZEV_asc_format.
#include "ZEV_datatable.h"

#include "FileNames.h"
#include "ZEV_asc_format.h"
#include "ZEV_asc_pagemapper.h"
#include "ZEV_asc_split.h"
#include "ZEV_asc_text.h"
#include "ZEV_matrix.h"

#include <algorithm>
#include <optional>
#include <string>
#include <sys/stat.h>

// One reading of one file into one table; the table's fields are written directly where the
// format leaves them silent, and through the setters where their events are part of reading.
class TAscReader {
  public:
    TAscReader(TDataTable& Table, const QString& AFileName, TStr2DArray& CustomData)
        : T(Table), FileName(AFileName), In(AFileName), Custom(CustomData)
    {
    }

    int Run()
    {
        const int header = ReadAscHeader(In, Header);
        T.FAscLineFeeds = Header.Comment.HasLineFeed;
        if (header != ascOK) return header;
        const int cols = Header.Columns;

        QString text = ReadAscComment(FileName, Header.Comment);
        // Throws before anything changes when the table would not fit.
        PrepareTable(cols, RowsToAllocate(cols, Header.Rows));
        T.FComment = std::move(text);

        if (Header.HasColumnNames()) ReadColumnNames(cols);
        int code = ReadRows(cols, Header.Rows);
        if (Header.HasLevels())
            ReadAscLevels(
                In, [this](int Col, TMeasLevel Level) { T.SetMeasLevel(Col, Level); },
                [this](int Col, int Value, const QString& Text) {
                    T.SetValueLabel(Col, Value, Text);
                });
        else
            ReadAscCustomData(In, Custom);
        return code;
    }

  private:
    // Where one row's cells go: its cells are Stride apart; special tokens set the cell state
    // through the table, whose event is part of reading.
    struct TRowSink {
        TDataTable& T;
        double* Cells;
        std::size_t Stride;
        int Row;
        void Class(int Value) { T.FRowAttribs.Set(std::size_t(Row - 1), Value); }
        void Name(const std::string& Word)
        {
            T.FRowNames.Set(std::size_t(Row - 1), Asc::NameOf(Word));
        }
        double& Cell(int Col) { return Cells[std::size_t(Col) * Stride]; }
        void State(int Col, std::uint8_t Value) { T.SetCellState(Col + 1, Row, Value); }
    };

    // A file of S bytes holds at most S / 2 + 1 tokens, so the rows beyond that could only end
    // in a row error: they are not allocated up front, and the table grows should rows arrive
    // after all (a file that grows while it is read).
    int RowsToAllocate(int Cols, int Rows) const
    {
        const qint64 tokens = In.Size() / 2 + 1;
        return int(std::min<qint64>(Rows, tokens / Cols + 1));
    }

    void PrepareTable(int Cols, int Rows)
    {
        // Cells and states beyond the old size come from the resize as zeros, untouched; only
        // the kept block needs clearing, so that a header's size costs nothing the rows do not
        // fill.
        const int keepCols = std::min(Cols, T.FNrOfColumns);
        const int keepRows = std::min(Rows, T.FNrOfRows);
        T.ResizeSilently(Cols, Rows);
        for (int c = 1; c <= keepCols; ++c) {
            std::fill_n(T.FDataMat->ColumnData(c), keepRows, 0.0);
            std::fill_n(T.FCellStates.begin() + std::ptrdiff_t(c - 1) * Rows, keepRows, 0);
        }
        T.FColNames.Reset();
        T.FRowNames.Reset();
        T.FColAttribs.Reset();
        T.FRowAttribs.Reset();
        T.FColSetups.Reset();
        T.FDataMat->SetDataID(QString());
    }

    // Names missing at the end of the file are empty; they are not stored one by one, which
    // for a header promising millions of columns would cost what the file never held.
    void ReadColumnNames(int Cols)
    {
        const int read = ReadAscColumnNames(In, Cols, [this](int Col, QString Name) {
            T.FColNames.Set(std::size_t(Col), std::move(Name));
        });
        if (read < Cols) T.FColNames.FillFrom(std::size_t(read), Asc::NameOf(std::string()));
    }

    // Only a table the file can fill is worth mapping ahead.
    bool Fillable(int Cols) const { return qint64(T.FNrOfRows) * Cols <= In.Size() / 2 + 1; }

    // Returns ascOK, or the code of the row that failed; the table then ends with that row.
    int ReadRows(int Cols, int Rows)
    {
        int r = 1;
        int filled = 0; // cells read in the failing row
        int code = ReadRowsOnTwoCores(Cols, Rows, r, filled);
        if (code == ascOK) code = ReadRowsFrom(Cols, Rows, r, filled);
        // Cells after the error were never written: the cut need not read them.
        if (code != ascOK && r < T.FNrOfRows) T.ShrinkSilently(Cols, r, filled);
        return code;
    }

    // Rows from the first on, as far as they get on two cores; r is then the next row to read.
    int ReadRowsOnTwoCores(int Cols, int Rows, int& r, int& filled)
    {
        const int lastRow = std::min(Rows, T.FNrOfRows);
        double* cells = T.FDataMat->ColumnData(1);
        const std::size_t stride = std::size_t(T.FNrOfRows);
        TAscSecondHalf second(FileName, Header, cells, stride, lastRow, AscNextTokenAt(In),
                              In.Size());
        // While the second thread works out its guess, this one maps the table ahead, when the
        // file can fill it; then each maps its own rows.
        TRowMapper mapper(cells, stride, std::size_t(Cols), 0,
                          Fillable(Cols) ? std::size_t(lastRow) : 0);
        const auto readRow = [&](int Row, int& Filled) {
            TRowSink row{T, cells + (Row - 1), stride, Row};
            return ReadAscRow(In, Header, row, Filled);
        };
        const auto take = [this](TAscHalfResult& Half, int First) {
            const std::size_t at = std::size_t(First - 1);
            for (std::size_t i = 0; i < Half.Classes.size(); ++i)
                T.FRowAttribs.Set(at + i, Half.Classes[i]);
            for (std::size_t i = 0; i < Half.Names.size(); ++i)
                T.FRowNames.Set(at + i, std::move(Half.Names[i]));
            for (const TAscHalfResult::TState& s : Half.States)
                T.SetCellState(s.Col, s.Row, s.Value);
        };
        return ReadAscFirstHalf(In, second, mapper, r, filled, readRow, take);
    }

    // Rows r.. on this thread alone.
    int ReadRowsFrom(int Cols, int Rows, int& r, int& filled)
    {
        // Done before the cells move: a growing or cut table may take new storage.
        std::optional<TPageMapper> mapper;
        if (Fillable(Cols))
            mapper.emplace(T.FDataMat->ColumnData(1), std::size_t(T.FNrOfRows), std::size_t(Cols));
        for (; r <= Rows; ++r) {
            if (r > T.FNrOfRows) {
                mapper.reset();
                T.ResizeSilently(Cols, int(std::min<qint64>(Rows, 2 * qint64(r))));
            }
            // Columns are FNrOfRows apart; the table may have grown since the last row.
            TRowSink row{T, T.FDataMat->ColumnData(1) + (r - 1), std::size_t(T.FNrOfRows), r};
            const int code = ReadAscRow(In, Header, row, filled);
            if (code != ascOK) return code;
        }
        return ascOK;
    }

    TDataTable& T;
    QString FileName;
    TAscInput In;
    TStr2DArray& Custom;
    TAscHeader Header;
};

int TDataTable::ReadASCFile(const QString& FileName, TStr2DArray& CustomData)
{
    CustomData.assign(2, {});
    // Only regular files: a device or pipe could feed a header line without end.
    struct stat info {};
    if (FileName.isEmpty() || ::stat(FileNameToBytes(FileName).constData(), &info) != 0 ||
        !S_ISREG(info.st_mode))
        return ascFileNotFound;

    const int oldColumns = FNrOfColumns;
    const int oldRows = FNrOfRows;
    TDataTableResizeEvent resizeHandler = std::move(OnResize);
    OnResize = nullptr;
    DetachMatrix();
    // Runs on every exit, exceptions included, so that listeners learn of whatever the table
    // now holds and the table is left with its handlers attached.
    auto finish = [&] {
        AttachMatrix();
        OnResize = std::move(resizeHandler);
        FireEvent(OnChange, this);
        FireEvent(OnChangeCellState, this);
        FireEvent(OnChangeAttrib, this);
        FireEvent(OnChangeNames, this);
        FireEvent(OnChangeSetup, this);
        FireEvent(OnResize, this, oldColumns, oldRows, FNrOfColumns, FNrOfRows);
    };
    int code = ascOK;
    try {
        TAscReader reader(*this, FileName, CustomData);
        code = reader.Run();
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return code;
}

int TDataTable::ExplainAscCode(int Code) const
{
    return Code == ascBadColumnCount && FAscLineFeeds ? ascLineFeedEnding : Code;
}
