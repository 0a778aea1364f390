// The two analysis commands, "New Data" and "Perform PCA", apart from any window: they work on a
// small data-set interface that the main window binds to the table editor's data table.
#pragma once

#include "Colors.h"
#include "ZEV_datatable.h"
#include "ZEV_math2.h"
#include "ZEV_vector.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// The analysis data set: columns are variables, rows are objects, each row has a class number.
class TAnalysisDataSet {
  public:
    virtual ~TAnalysisDataSet() = default;
    virtual int NrOfColumns() const = 0;
    virtual void SetNrOfColumns(int Value) = 0;
    virtual int NrOfRows() const = 0;
    virtual void SetNrOfRows(int Value) = 0;
    // The raw cells, as the PCA engine reads them.
    virtual const TMatrix& DataMat() const = 0;
    // The cells as the scores read them (a window may round category columns here); outside
    // the table a read gives 0 and a write does nothing.
    virtual double Elem(int Col, int Row) const = 0;
    virtual void SetElem(int Col, int Row, double Value) = 0;
    // Class number of a row; the analysis uses it as one byte.
    virtual int RowAttrib(int Row) const = 0;
    virtual void SetRowAttrib(int Row, int Value) = 0;
};

// A data table read directly: category columns read rounded, as the window's editor reads them.
class TDataTableDataSet : public TAnalysisDataSet {
  public:
    explicit TDataTableDataSet(TDataTable& Table) : FTable(Table) {}
    int NrOfColumns() const override { return FTable.NrOfColumns(); }
    void SetNrOfColumns(int Value) override { FTable.SetNrOfColumns(Value); }
    int NrOfRows() const override { return FTable.NrOfRows(); }
    void SetNrOfRows(int Value) override { FTable.SetNrOfRows(Value); }
    const TMatrix& DataMat() const override { return *FTable.DataMat(); }
    double Elem(int Col, int Row) const override { return FTable.Elem(Col, Row); }
    void SetElem(int Col, int Row, double Value) override { FTable.SetElem(Col, Row, Value); }
    int RowAttrib(int Row) const override { return FTable.RowAttrib(Row); }
    void SetRowAttrib(int Row, int Value) override { FTable.SetRowAttrib(Row, Value); }

  private:
    TDataTable& FTable;
};

// Items of the scaling radio group, passed to the engine unchanged.
enum TPCAScaling : int { psScatter = 0, psCovariance = 1, psCorrelation = 2 };

// The window shows this in an information box with an OK button when Perform PCA fails.
inline const QString PCAFailureMessage = QStringLiteral("Cannot calculate principal components");

struct TScorePoint {
    double X = 0, Y = 0; // scores on components 1 and 2
    TColor Color = clBlack;
};
struct TLoadingPoint {
    double X = 0, Y = 0; // loadings on components 1 and 2
    QString Label;       // the column number
};
// One score point per row and one loading point per column, in row and column order.
struct TPCAPoints {
    std::vector<TScorePoint> Scores;
    std::vector<TLoadingPoint> Loadings;
};

// The class colours: black, blue, red, dark green, repeated four times.
extern const std::array<TColor, 16> ClassPalette;
// Negative classes count as 0; the palette repeats every 16 classes.
TColor ClassColor(int ClassNumber);

// Program start: seeds the random generator with 1234, fills the shuffle table from it and
// empties the PCA result storage. Every run then generates the same series of tables.
void AnalysisStartUp();
// The permutation of 0..254 drawn at start-up.
const std::array<std::uint8_t, 255>& ShuffleTable();

// Rewrites the data set as 5 columns x 150 rows of three classes from the random generator.
void NewData(TAnalysisDataSet& Data);

// Runs the engine on the whole data set with the scaling of the radio group. Reads the data and
// touches nothing else, so it may run off the window's thread while the table stands still.
TPCAResult CalcComponents(const TAnalysisDataSet& Data, int Scaling,
                          const TPCAProgress* Progress = nullptr);
// Centre and divisor of every column for the scores of the scaling.
void FillMeanStdDev(const TAnalysisDataSet& Data, int Scaling, TVector& Mean, TVector& StdDev);

// Scores of rows on the first components of a result: per component, the sum over the columns
// with a non-zero divisor of loading times (value - centre) / divisor, in column order.
class TScoreProjector {
  public:
    TScoreProjector(const TPCAResult& Result, const TVector& Mean, const TVector& StdDev,
                    int Components);
    int Components() const { return FComponents; }
    // Writes the scores of Row on components 1..Components() to Scores.
    void Project(const TAnalysisDataSet& Data, int Row, double* Scores) const;

  private:
    struct TColumn {
        int Index;
        double Mean, StdDev;
    };
    int FComponents;
    std::vector<TColumn> FColumns;    // the columns that take part
    std::vector<double> FLoadings;    // per component, one per column that takes part
    mutable std::vector<double> FDev; // work space: deviations of one row
};

// Takes a successful result as Perform PCA does: it becomes the engine's last result (what
// EigVecElem reads), Mean and StdDev are filled and Points replaced. False, changing nothing,
// for any other result.
bool AcceptComponents(const TAnalysisDataSet& Data, int Scaling, TPCAResult Result, TVector& Mean,
                      TVector& StdDev, TPCAPoints& Points);

// Runs the analysis with the given scaling: CalcComponents, then AcceptComponents.
bool PerformPCA(const TAnalysisDataSet& Data, int Scaling, TVector& Mean, TVector& StdDev,
                TPCAPoints& Points);
