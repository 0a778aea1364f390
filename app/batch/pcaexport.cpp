#include "pcaexport.h"

#include "analysis.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

std::string_view View(const QByteArray& Bytes)
{
    return std::string_view(Bytes.constData(), std::size_t(Bytes.size()));
}

const double* Row(const std::vector<double>& Values, int Index, int Width)
{
    return Values.data() + std::size_t(Index) * std::size_t(Width);
}

void PutCsvNumbers(TTextSink& Out, const double* Values, int Count)
{
    for (int k = 0; k < Count; ++k) {
        Out.Put(',');
        Out.PutNumber(Values[k]);
    }
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
    for (int k = 0; k < Count; ++k) {
        if (k) Out.Put(", ");
        Out.PutNumber(Values[k]);
    }
    Out.Put(']');
}

// Writes "name": [ item, ... ] with one item per line.
template <typename Item>
void PutJsonArray(TTextSink& Out, std::string_view Name, int Count, Item&& PutItem, bool Last)
{
    Out.Put("  \"");
    Out.Put(Name);
    Out.Put("\": [");
    for (int i = 0; i < Count; ++i) {
        Out.Put(i ? ",\n    " : "\n    ");
        PutItem(i);
    }
    Out.Put(Last ? "\n  ]\n" : "\n  ],\n");
}

} // namespace

bool TPCAExport::AllFinite() const
{
    const auto finite = [](const std::vector<double>& v) {
        return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
    };
    return finite(Eigenvalues) && finite(RelativeEigenvalues) && finite(CumulativeShares) &&
           finite(Loadings) && finite(Scores);
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

    const TDataTableDataSet data(Table);
    const TScoreProjector projector(Result, Mean, StdDev, Components);
    e.Scores.resize(std::size_t(e.Rows) * std::size_t(Components));
    for (int r = 1; r <= e.Rows; ++r)
        projector.Project(data, r, e.Scores.data() + std::size_t(r - 1) * std::size_t(Components));
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
        PutCsvNumbers(Out, Row(Export.Loadings, i, Export.Components), Export.Components);
    }
}

void WriteScoresCsv(const TPCAExport& Export, TTextSink& Out)
{
    PutComponentHeader(Out, "row,class", Export.Components);
    for (int r = 0; r < Export.Rows; ++r) {
        Out.PutCsvField(View(Export.Table->RowName(r + 1).toUtf8()));
        Out.Put(',');
        Out.PutInteger(Export.Table->RowAttrib(r + 1));
        PutCsvNumbers(Out, Row(Export.Scores, r, Export.Components), Export.Components);
    }
}

void WriteJson(const TPCAExport& Export, const QString& Source, const QString& Scaling,
               TTextSink& Out)
{
    Out.Put("{\n  \"source\": ");
    Out.PutJsonString(View(Source.toUtf8()));
    Out.Put(",\n  \"scaling\": ");
    Out.PutJsonString(View(Scaling.toUtf8()));
    Out.Put(",\n  \"components\": ");
    Out.PutInteger(Export.Components);
    Out.Put(",\n");
    PutJsonArray(
        Out, "eigenvalues", int(Export.Eigenvalues.size()),
        [&](int k) {
            Out.Put("{\"component\": ");
            Out.PutInteger(k + 1);
            Out.Put(", \"eigenvalue\": ");
            Out.PutNumber(Export.Eigenvalues[std::size_t(k)]);
            Out.Put(", \"relative_eigenvalue\": ");
            Out.PutNumber(Export.RelativeEigenvalues[std::size_t(k)]);
            Out.Put(", \"cumulative_share\": ");
            Out.PutNumber(Export.CumulativeShares[std::size_t(k)]);
            Out.Put('}');
        },
        false);
    PutJsonArray(
        Out, "loadings", Export.Variables,
        [&](int i) {
            Out.Put("{\"variable\": ");
            Out.PutJsonString(View(Export.Table->ColName(i + 1).toUtf8()));
            Out.Put(", \"values\": ");
            PutJsonNumbers(Out, Row(Export.Loadings, i, Export.Components), Export.Components);
            Out.Put('}');
        },
        false);
    PutJsonArray(
        Out, "scores", Export.Rows,
        [&](int r) {
            Out.Put("{\"row\": ");
            Out.PutJsonString(View(Export.Table->RowName(r + 1).toUtf8()));
            Out.Put(", \"class\": ");
            Out.PutInteger(Export.Table->RowAttrib(r + 1));
            Out.Put(", \"values\": ");
            PutJsonNumbers(Out, Row(Export.Scores, r, Export.Components), Export.Components);
            Out.Put('}');
        },
        true);
    Out.Put("}\n");
}
