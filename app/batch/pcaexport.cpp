#include "pcaexport.h"

#include "analysis.h"
#include "parallelrows.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace {

std::string_view View(const QByteArray& Bytes)
{
    return std::string_view(Bytes.constData(), std::size_t(Bytes.size()));
}

void PutCsvNumbers(TTextSink& Out, const double* Values, int Count)
{
    Out.PutNumbers(Values, Count, ",");
    Out.Put("\r\n");
}

void PutComponentHeader(TTextSink& Out, const char* Leading, int Components)
{
    Out.Put(Leading);
    for (int k = 1; k <= Components; ++k) {
        Out.Put(",PC");
        Out.PutInteger(k);
    }
    Out.Put("\r\n");
}

void PutJsonNumbers(TTextSink& Out, const double* Values, int Count)
{
    Out.Put('[');
    if (Count > 0) {
        Out.PutNumber(Values[0]);
        Out.PutNumbers(Values + 1, Count - 1, ", ");
    }
    Out.Put(']');
}

// A row's name: the default "R-n" is written without going through a string; n counts the rows
// of the data, not of the chunk that Export's table holds.
void PutRowName(TTextSink& Out, const TPCAExport& Export, int Row, bool Json)
{
    if (Export.Table->HasOwnRowName(Row)) {
        const QByteArray name = Export.Table->RowName(Row).toUtf8();
        Json ? Out.PutJsonString(View(name)) : Out.PutCsvField(View(name));
        return;
    }
    if (Json) Out.Put('"');
    Out.Put("R-");
    Out.PutInteger(Export.FirstRow + Row);
    if (Json) Out.Put('"');
}

// Rows per chunk that a worker formats: about a megabyte of text.
constexpr int kChunkRows = 4096;

// Scores of Count rows from First, computed for the chunk into room this thread keeps.
const double* ChunkScores(const TPCAExport& Export, int First, int Count)
{
    thread_local std::vector<double> scores;
    scores.resize(std::size_t(Count) * std::size_t(Export.Components));
    Export.Scores.Compute(First, Count, scores.data());
    return scores.data();
}

const double* Row(const double* Values, int Index, int Width)
{
    return Values + std::size_t(Index) * std::size_t(Width);
}

// Writes "name": [ item, ... ] with one item per line.
template <typename Item>
void PutJsonArray(TTextSink& Out, std::string_view Name, int Count, Item&& PutItem)
{
    Out.Put("  \"");
    Out.Put(Name);
    Out.Put("\": [");
    for (int i = 0; i < Count; ++i) {
        Out.Put(i ? ",\n    " : "\n    ");
        PutItem(i);
    }
    Out.Put("\n  ],\n");
}

} // namespace

bool TPCAExport::NumbersFinite() const
{
    const auto finite = [](const std::vector<double>& v) {
        return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
    };
    return finite(Eigenvalues) && finite(RelativeEigenvalues) && finite(CumulativeShares) &&
           finite(Loadings);
}

bool TPCAExport::AllFinite() const
{
    return NumbersFinite() && Scores.AllFinite(Rows);
}

TPCAExport CollectExport(TDataTable& Table, const TPCAResult& Result, const TVector& Mean,
                         const TVector& StdDev, int Components)
{
    TPCAExport e;
    e.Table = &Table;
    e.Variables = Table.NrOfColumns();
    e.Rows = Table.NrOfRows();
    e.Components = Components;
    double cumulative = 0;
    for (int k = 1; k <= Result.N; ++k) {
        e.Eigenvalues.push_back(Result.AbsoluteEigVal(k));
        e.RelativeEigenvalues.push_back(Result.EigVecElem(k, 0));
        cumulative += Result.EigVecElem(k, 0);
        e.CumulativeShares.push_back(cumulative);
    }
    e.Loadings.reserve(std::size_t(e.Variables) * std::size_t(Components));
    for (int i = 1; i <= e.Variables; ++i)
        for (int k = 1; k <= Components; ++k) e.Loadings.push_back(Result.EigVecElem(k, i));

    e.Scores = TScoreBlocks(Table, Result, Mean, StdDev, Components);
    return e;
}

void WriteEigenvaluesCsv(const TPCAExport& Export, TTextSink& Out)
{
    Out.Put("component,eigenvalue,relative_eigenvalue,cumulative_share\r\n");
    for (std::size_t k = 0; k < Export.Eigenvalues.size(); ++k) {
        Out.PutInteger(static_cast<long long>(k + 1));
        const double values[] = {Export.Eigenvalues[k], Export.RelativeEigenvalues[k],
                                 Export.CumulativeShares[k]};
        PutCsvNumbers(Out, values, 3);
    }
}

void WriteLoadingsCsv(const TPCAExport& Export, TTextSink& Out)
{
    PutComponentHeader(Out, "variable", Export.Components);
    for (int i = 0; i < Export.Variables; ++i) {
        Out.PutCsvField(View(Export.Table->ColName(i + 1).toUtf8()));
        PutCsvNumbers(Out, Row(Export.Loadings.data(), i, Export.Components), Export.Components);
    }
}

void WriteScoresCsvHeader(const TPCAExport& Export, TTextSink& Out)
{
    PutComponentHeader(Out, "row,class", Export.Components);
}

void WriteScoreRowsCsv(const TPCAExport& Export, TTextSink& Out)
{
    PutRowsInParallel(Out, Export.Rows, kChunkRows, [&](TTextSink& Sink, int First, int Count) {
        const double* scores = ChunkScores(Export, First, Count);
        for (int i = 0; i < Count; ++i) {
            PutRowName(Sink, Export, First + i + 1, false);
            Sink.Put(',');
            Sink.PutInteger(Export.Table->RowAttrib(First + i + 1));
            PutCsvNumbers(Sink, Row(scores, i, Export.Components), Export.Components);
        }
    });
}

void WriteScoresCsv(const TPCAExport& Export, TTextSink& Out)
{
    WriteScoresCsvHeader(Export, Out);
    WriteScoreRowsCsv(Export, Out);
}

void WriteJsonHead(const TPCAExport& Export, const QString& Source, const QString& Scaling,
                   TTextSink& Out)
{
    Out.Put("{\n  \"source\": ");
    Out.PutJsonString(View(Source.toUtf8()));
    Out.Put(",\n  \"scaling\": ");
    Out.PutJsonString(View(Scaling.toUtf8()));
    Out.Put(",\n  \"components\": ");
    Out.PutInteger(Export.Components);
    Out.Put(",\n");
    PutJsonArray(Out, "eigenvalues", int(Export.Eigenvalues.size()), [&](int k) {
        Out.Put("{\"component\": ");
        Out.PutInteger(k + 1);
        Out.Put(", \"eigenvalue\": ");
        Out.PutNumber(Export.Eigenvalues[std::size_t(k)]);
        Out.Put(", \"relative_eigenvalue\": ");
        Out.PutNumber(Export.RelativeEigenvalues[std::size_t(k)]);
        Out.Put(", \"cumulative_share\": ");
        Out.PutNumber(Export.CumulativeShares[std::size_t(k)]);
        Out.Put('}');
    });
    PutJsonArray(Out, "loadings", Export.Variables, [&](int i) {
        Out.Put("{\"variable\": ");
        Out.PutJsonString(View(Export.Table->ColName(i + 1).toUtf8()));
        Out.Put(", \"values\": ");
        PutJsonNumbers(Out, Row(Export.Loadings.data(), i, Export.Components), Export.Components);
        Out.Put('}');
    });
    Out.Put("  \"scores\": [");
}

void WriteJsonScoreRows(const TPCAExport& Export, TTextSink& Out)
{
    PutRowsInParallel(Out, Export.Rows, kChunkRows, [&](TTextSink& Sink, int First, int Count) {
        const double* scores = ChunkScores(Export, First, Count);
        for (int i = 0; i < Count; ++i) {
            Sink.Put(Export.FirstRow + First + i ? ",\n    {\"row\": " : "\n    {\"row\": ");
            PutRowName(Sink, Export, First + i + 1, true);
            Sink.Put(", \"class\": ");
            Sink.PutInteger(Export.Table->RowAttrib(First + i + 1));
            Sink.Put(", \"values\": ");
            PutJsonNumbers(Sink, Row(scores, i, Export.Components), Export.Components);
            Sink.Put('}');
        }
    });
}

void WriteJsonTail(TTextSink& Out)
{
    Out.Put("\n  ]\n}\n");
}

void WriteJson(const TPCAExport& Export, const QString& Source, const QString& Scaling,
               TTextSink& Out)
{
    WriteJsonHead(Export, Source, Scaling, Out);
    WriteJsonScoreRows(Export, Out);
    WriteJsonTail(Out);
}
