#include "ascstream.h"

#include "Classes.h"
#include "FileNames.h"
#include "ZEV_matrix.h"
#include "analysis.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <sys/stat.h>

namespace {

// Rows per chunk: as many as fit a million cells, up to two blocks of the formatting threads.
constexpr int kMaxChunkRows = 32768;
constexpr std::size_t kChunkCells = std::size_t(1) << 20;

int ChunkRows(int Columns)
{
    return int(std::clamp<std::size_t>(kChunkCells / std::size_t(Columns), 1, kMaxChunkRows));
}

bool RowHasMissingCell(const TAscRowChunk& Chunk, int Row)
{
    for (int c = 0; c < Chunk.Columns; ++c)
        if (IsMissingCell(Chunk.State(c, Row))) return true;
    return false;
}

} // namespace

TAscStream::TAscStream(TStreamJob Job) : FJob(std::move(Job)) {}

std::vector<const double*> TAscStream::Columns(const TAscRowChunk& Chunk) const
{
    std::vector<const double*> cols(static_cast<std::size_t>(FColumns));
    for (int c = 0; c < FColumns; ++c) cols[std::size_t(c)] = Chunk.Column(c);
    return cols;
}

// The next chunk is read on another thread while the rows of this one are visited.
int TAscStream::ForEachChunk(TAscRowSource& Source, bool WithNames, bool Count,
                             const std::function<void(const TAscRowChunk&)>& Visit)
{
    long long first = Source.RowsRead() + 1;
    int code = Source.Read(FChunk, WithNames);
    for (;;) {
        const bool more = code == ascOK && !Source.AtEnd();
        const long long nextFirst = Source.RowsRead() + 1;
        std::future<int> ahead;
        if (more)
            ahead = std::async(std::launch::async, [&Source, this, WithNames] {
                return Source.Read(FAhead, WithNames);
            });
        FOrigin.resize(std::size_t(FChunk.Rows));
        for (int r = 0; r < FChunk.Rows; ++r) FOrigin[std::size_t(r)] = first + r;
        if (Count) CountMissing(first);
        if (FJob.Missing == mmDrop) KeepCompleteRows(first);
        if (FChunk.Rows > 0) Visit(FChunk);
        if (!more) return code;
        code = ahead.get();
        std::swap(FChunk, FAhead);
        first = nextFirst;
    }
}

void TAscStream::KeepCompleteRows(long long FirstRow)
{
    if (FChunk.Marked == 0) return;
    int kept = 0;
    for (int r = 0; r < FChunk.Rows; ++r) {
        if (RowHasMissingCell(FChunk, r)) continue;
        if (kept != r) {
            for (int c = 0; c < FColumns; ++c) {
                FChunk.Cells[FChunk.Offset(c, kept)] = FChunk.Cells[FChunk.Offset(c, r)];
                FChunk.States[FChunk.Offset(c, kept)] = FChunk.States[FChunk.Offset(c, r)];
            }
            FChunk.Classes[std::size_t(kept)] = FChunk.Classes[std::size_t(r)];
            FChunk.Names[std::size_t(kept)] = FChunk.Names[std::size_t(r)];
        }
        FOrigin[std::size_t(kept++)] = FirstRow + r;
    }
    FChunk.Rows = kept;
}

// In reading order, before any row is left out, as the table is counted.
void TAscStream::CountMissing(long long FirstRow)
{
    if (FChunk.Marked == 0) return;
    for (int r = 0; r < FChunk.Rows; ++r)
        for (int c = 0; c < FColumns; ++c) {
            const int row = int(FirstRow + r);
            if (!FMissing.Count(FChunk.State(c, r), c + 1, row)) continue;
            FMissing.FirstColName = FNames.ColName(c + 1);
            FMissing.FirstRowName = FHeader.HasRowNames() ? FChunk.Names[std::size_t(r)]
                                                          : QStringLiteral("R-%1").arg(row);
        }
}

void TAscStream::FirstPass(const TAscRowChunk& Chunk)
{
    const int rows = Chunk.Rows;
    if (FRows == 0) {
        // Sums about the first value of each column: the first row analysed.
        for (int c = 0; c < FColumns; ++c) FShift[std::size_t(c)] = Chunk.Column(c)[0];
        FLo = FHi = FShift;
        if (FJob.Scaling > 0) FSums.emplace(FShift);
        if (FJob.Scaling == 0 && FColumns <= MaxEigVecVariables)
            FProducts.emplace(FColumns, FJob.Scaling, std::vector<double>());
    }
    const std::vector<const double*> cols = Columns(Chunk);
    if (FSums) FSums->Add(cols.data(), rows);
    if (FProducts) FProducts->Add(cols.data(), rows);
    for (int c = 0; c < FColumns; ++c) {
        const double* x = cols[std::size_t(c)];
        const double shift = FShift[std::size_t(c)];
        double s = FSum[std::size_t(c)], q = FSquares[std::size_t(c)];
        double lo = FLo[std::size_t(c)], hi = FHi[std::size_t(c)];
        for (int r = 0; r < rows; ++r) {
            const double d = x[r] - shift;
            s += d;
            q += d * d;
            lo = std::min(lo, x[r]);
            hi = std::max(hi, x[r]);
        }
        FSum[std::size_t(c)] = s, FSquares[std::size_t(c)] = q;
        FLo[std::size_t(c)] = lo, FHi[std::size_t(c)] = hi;
    }
    FRows += rows;
}

TStreamOutcome TAscStream::Analyse()
{
    TAscRowSource source(FJob.File);
    FStamp = StampOf(FJob.File);
    FAscCode = source.Open();
    FHeader = source.Header();
    if (FAscCode != ascOK) return soAscError;
    FColumns = FHeader.Columns;
    FNames.Resize(FColumns, 1);
    const std::vector<QString>& columnNames = source.ColumnNames();
    for (std::size_t c = 0; c < columnNames.size(); ++c)
        if (!columnNames[c].isNull()) FNames.SetColName(int(c) + 1, columnNames[c]);
    FChunk.Reset(FColumns, ChunkRows(FColumns));
    FAhead.Reset(FColumns, ChunkRows(FColumns));
    FShift.assign(std::size_t(FColumns), 0.0);
    FSum = FSquares = FShift;

    // Row names matter in the first pass only to name the first missing cell.
    const bool names = FJob.Missing == mmError && FHeader.HasRowNames();
    FAscCode =
        ForEachChunk(source, names, true, [this](const TAscRowChunk& Chunk) { FirstPass(Chunk); });
    // The trailing sections are read also after a row error, as the table's reader does.
    if (FHeader.HasLevels())
        source.ReadLevels([this](int Col, TMeasLevel Level) { FNames.SetMeasLevel(Col, Level); });
    if (FAscCode != ascOK) {
        FAscRow = int(source.RowsRead()) + 1;
        return soAscError;
    }
    FFileRows = source.RowsRead();
    const int kept = int(FRows);
    switch (ReportMissingCells(FMissing, int(FFileRows), kept, FJob.File, FJob.Missing,
                               FJob.Complain)) {
    case moRefused:
        return soRefused;
    case moNoRowLeft:
        return soNoComponents;
    case moAnalyse:
        break;
    }
    if (FRows < 2 || FColumns > MaxEigVecVariables) {
        FJob.Complain(PCAFailureMessage);
        return soNoComponents;
    }
    if (FJob.Solver == skFast && FRows < FColumns) return soNeedsTable;
    CentreAndProducts();
    TMatrix cross;
    cross.Resize(FColumns, FColumns);
    FillCrossMatrix(FProducts->Total(), FColumns, double(FRows), FJob.Scaling, cross);
    FProducts.reset();
    FResult = BatchDecompose(cross, FJob.Solver, FJob.ShowProgress);
    if (!FResult.Ok() && FResult.Status != pcaNotFinite) {
        FJob.Complain(PCAFailureMessage);
        return soNoComponents;
    }
    FillMeanStdDev();
    return soAnalysed;
}

void TAscStream::CentreAndProducts()
{
    if (FJob.Scaling == 0) {
        FProducts->Finish();
        return;
    }
    std::vector<double> means(static_cast<std::size_t>(FColumns));
    for (int c = 0; c < FColumns; ++c)
        means[std::size_t(c)] = ColumnMean(*FSums, c, 0.0, double(FRows));
    FProducts.emplace(FColumns, FJob.Scaling, std::move(means));
    TAscRowSource source(FJob.File);
    int code = source.Open();
    long long rows = 0;
    if (code == ascOK)
        code = ForEachChunk(source, false, false, [this, &rows](const TAscRowChunk& Chunk) {
            FProducts->Add(Columns(Chunk).data(), Chunk.Rows);
            rows += Chunk.Rows;
        });
    CheckPass(code, rows);
    FProducts->Finish();
}

// As TMatrix::MeanVar from the sums of the first pass, as FillMeanStdDev uses it.
void TAscStream::FillMeanStdDev()
{
    FMean.SetNrOfElem(FColumns);
    FStdDev.SetNrOfElem(FColumns);
    const double n = double(FRows);
    for (int c = 0; c < FColumns; ++c) {
        double mean = 0, variance = 1;
        if (FJob.Scaling == psCovariance || FJob.Scaling == psCorrelation)
            MeanVarFromSums(FShift[std::size_t(c)], FSum[std::size_t(c)], FSquares[std::size_t(c)],
                            n, mean, variance);
        FMean.SetElem(c + 1, mean);
        FStdDev.SetElem(c + 1, FJob.Scaling == psCorrelation ? std::sqrt(variance) : 1.0);
    }
}

bool TAscStream::Collect(int Components)
{
    FExport = CollectExport(FNames, FResult, FMean, FStdDev, Components);
    FExport.Rows = int(FRows);
    FScoreTable = std::make_unique<TDataTable>();
    FScoreTable->Resize(FColumns, FChunk.Capacity);
    for (int c = 1; c <= FColumns; ++c) FScoreTable->SetMeasLevel(c, FNames.MeasLevel(c));
    FChunkExport.Table = FScoreTable.get();
    FChunkExport.Variables = FColumns;
    FChunkExport.Components = Components;
    FChunkExport.Scores = TScoreBlocks(*FScoreTable, FResult, FMean, FStdDev, Components);
    if (!FExport.NumbersFinite()) return false;
    // The scores read category columns rounded, and rounding keeps the order.
    std::vector<double> lo = FLo, hi = FHi;
    for (int c = 0; c < FColumns; ++c)
        if (FNames.IsCategory(c + 1)) {
            lo[std::size_t(c)] = std::nearbyint(lo[std::size_t(c)]);
            hi[std::size_t(c)] = std::nearbyint(hi[std::size_t(c)]);
        }
    return FChunkExport.Scores.BoundedFar(lo, hi) || ScoresFinite();
}

void TAscStream::ToScoreTable(const TAscRowChunk& Chunk)
{
    for (int c = 0; c < FColumns; ++c)
        std::copy_n(Chunk.Column(c), Chunk.Rows, FScoreTable->DataMat()->ColumnData(c + 1));
    for (int r = 0; r < Chunk.Rows; ++r) {
        if (FHeader.HasClasses()) FScoreTable->SetRowAttrib(r + 1, Chunk.Classes[std::size_t(r)]);
        // A row left out moves the later ones up with their names, as in a table.
        if (FHeader.HasRowNames())
            FScoreTable->SetRowName(r + 1, Chunk.Names[std::size_t(r)]);
        else if (FJob.Missing == mmDrop)
            FScoreTable->SetRowName(r + 1, QStringLiteral("R-%1").arg(FOrigin[std::size_t(r)]));
    }
    FChunkExport.Rows = Chunk.Rows;
}

bool TAscStream::ScoresFinite()
{
    TAscRowSource source(FJob.File);
    bool finite = true;
    int code = source.Open();
    long long rows = 0;
    if (code == ascOK)
        code = ForEachChunk(source, false, false, [&](const TAscRowChunk& Chunk) {
            ToScoreTable(Chunk);
            finite = finite && FChunkExport.Scores.AllFinite(Chunk.Rows);
            rows += Chunk.Rows;
        });
    CheckPass(code, rows);
    return finite;
}

void TAscStream::WriteScoreRows(TTextSink& Out, bool Json)
{
    TAscRowSource source(FJob.File);
    int code = source.Open();
    long long rows = 0;
    if (code == ascOK)
        code = ForEachChunk(source, true, false, [&](const TAscRowChunk& Chunk) {
            ToScoreTable(Chunk);
            FChunkExport.FirstRow = int(rows);
            Json ? WriteJsonScoreRows(FChunkExport, Out) : WriteScoreRowsCsv(FChunkExport, Out);
            rows += Chunk.Rows;
        });
    CheckPass(code, rows);
}

void TAscStream::ThrowChanged() const
{
    throw EInOutError(QStringLiteral("\"%1\" changed while it was read").arg(FJob.File));
}

TAscStream::TFileStamp TAscStream::StampOf(const QString& File)
{
    struct stat info {};
    if (::stat(FileNameToBytes(File).constData(), &info) != 0) return {};
    return {info.st_dev, info.st_ino, info.st_size,
            info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

void TAscStream::CheckPass(int Code, long long Rows) const
{
    if (Code != ascOK || Rows != FRows || StampOf(FJob.File) != FStamp) ThrowChanged();
}
