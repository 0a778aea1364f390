#include "plotcontroller.h"

#include "Menus.h"
#include "eigenvaluedialog.h"
#include "exportservice.h"
#include "imageexport.h"
#include "mainfrm.h"
#include "plotbuilder.h"
#include "plotmenu.h"

#include <QPrinter>
#include <QToolTip>

namespace {
// How near the mouse must come to a mark, in pixels.
constexpr double HoverRadius = 5;

QString Number(double Value)
{
    return QString::number(Value, 'g', 6);
}

// The rows an editor selection stands for: whole rows only, and a single cell only where a
// click on a mark put it, so the editor's current cell alone rings nothing.
std::vector<int> SelectedRows(const TValgrid& Editor, const TGridRect& ClickSelection)
{
    const TGridRect s = Editor.Selection();
    const int a = Editor.AttribRowVisible() ? 1 : 0, b = Editor.AttribColVisible() ? 1 : 0;
    const bool wholeRows = s.Left - a <= 1 && s.Right - a >= Editor.NrOfColumns();
    const bool oneCell = s.Left == s.Right && s.Top == s.Bottom;
    std::vector<int> rows;
    if (!wholeRows || (oneCell && !(s == ClickSelection))) return rows;
    for (int r = std::max(1, s.Top - b); r <= std::min(Editor.NrOfRows(), s.Bottom - b); ++r)
        rows.push_back(r);
    return rows;
}
} // namespace

TPlotController::TPlotController(TForm1& Form) : FForm(Form)
{
    FOverlays[pkScores] = std::make_unique<TPlotOverlay>(pkScores, FSnapshot, FOptions);
    FOverlays[pkLoadings] = std::make_unique<TPlotOverlay>(pkLoadings, FSnapshot, FOptions);
    Attach(pkScores);
    Attach(pkLoadings);
    // A click changes the selection without reporting it as such.
    FForm.ValedData->OnSelectionChanged = [this](TObject*) { UpdateRings(); };
    FForm.ValedData->OnClick = [this](TObject*) { UpdateRings(); };
}

TPlotController::~TPlotController()
{
    for (TKurvex* chart : {FForm.KXScores, FForm.KXLoadings}) {
        chart->OnMouseDown = nullptr;
        chart->OnMouseMove = nullptr;
        chart->OnDataRendered = nullptr;
    }
    FForm.ValedData->OnSelectionChanged = nullptr;
    FForm.ValedData->OnClick = nullptr;
}

TKurvex& TPlotController::Chart(TPlotKind Kind) const
{
    return Kind == pkScores ? *FForm.KXScores : *FForm.KXLoadings;
}

void TPlotController::Attach(TPlotKind Kind)
{
    TKurvex& chart = Chart(Kind);
    chart.OnDataRendered = [this, Kind](TObject* Sender, TCanvas* Canvas, int Top, int Left) {
        FOverlays[Kind]->Paint(*static_cast<TKurvex*>(Sender), Canvas, Top, Left);
    };
    chart.OnMouseMove = [this, Kind](TObject*, TShiftState, int X, int Y) { Hover(Kind, X, Y); };
    chart.OnMouseDown = [this, Kind](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
        if (Button == mbRight) return OpenMenu(Kind, X, Y);
        if (Button == mbLeft && Kind == pkScores)
            if (const int row = MarkAt(pkScores, X, Y)) SelectRow(row);
    };
}

void TPlotController::AnalysisDone(const TAnalysisDataSet& Data, const QString& Scaling)
{
    FSnapshot = TakeSnapshot(Data, *FForm.ValedData->DataTable(), *FForm.Mean, *FForm.StdDev);
    FScaling = Scaling;
    // A component beyond this analysis falls back to the first two.
    if (std::max(FOptions.ComponentX, FOptions.ComponentY) > FSnapshot.Components)
        FOptions.ComponentX = 1, FOptions.ComponentY = 2;
    FOverlays[pkScores]->SetRingedRows(SelectedRows(*FForm.ValedData, FClickSelection));
    if (!FOptions.IsDefault()) return Redraw();
    BuildIndexes();
    // The window drew the plot while the rings still stood for the last analysis.
    if (!FOverlays[pkScores]->RingedRows().empty()) FForm.KXScores->Repaint();
}

void TPlotController::SetOptions(const TPlotOptions& Value)
{
    if (Value == FOptions) return;
    FOptions = Value;
    if (FSnapshot.Valid()) Redraw();
}

void TPlotController::Redraw()
{
    // With a choice made, Perform PCA draws each plot twice, the window's way and then this
    // way: drawing only at the next paint skips the first.
    for (TKurvex* chart : {FForm.KXScores, FForm.KXLoadings})
        chart->SetAutoRedraw(FOptions.IsDefault());
    BuildScorePlot(*FForm.KXScores, FSnapshot, FOptions, FScaling);
    BuildLoadingPlot(*FForm.KXLoadings, FSnapshot, FOptions, FScaling);
    BuildIndexes();
}

void TPlotController::BuildIndexes()
{
    const auto build = [this](int Count, auto Point) {
        std::vector<THoverIndex::TPoint> points;
        points.reserve(std::size_t(std::max(Count, 0)));
        for (int i = 1; i <= Count; ++i) points.push_back(Point(i));
        return THoverIndex(std::move(points));
    };
    const int kx = FOptions.ComponentX, ky = FOptions.ComponentY;
    FIndexes[pkScores] = build(FSnapshot.Rows, [&](int r) {
        return THoverIndex::TPoint{FSnapshot.Score(r, kx), FSnapshot.Score(r, ky)};
    });
    FIndexes[pkLoadings] = build(FSnapshot.Columns, [&](int c) {
        return THoverIndex::TPoint{FSnapshot.Loading(c, kx), FSnapshot.Loading(c, ky)};
    });
}

int TPlotController::MarkAt(TPlotKind Kind, int X, int Y) const
{
    const TKurvex& chart = Chart(Kind);
    if (!FSnapshot.Valid() || !chart.InPlotArea(X, Y)) return 0;
    double wx = 0, wy = 0;
    chart.PixelToWorld(1, X, Y, wx, wy);
    const double kx = double(chart.AxisMapX(1).K), ky = double(chart.AxisMapY(1).K);
    return FIndexes[Kind].Nearest(wx, wy, kx, ky, HoverRadius) + 1;
}

QString TPlotController::HoverText(TPlotKind Kind, int X, int Y) const
{
    const int i = MarkAt(Kind, X, Y);
    if (i == 0) return {};
    const int kx = FOptions.ComponentX, ky = FOptions.ComponentY;
    if (Kind == pkLoadings)
        return QStringLiteral("%1\nPC %2: %3\nPC %4: %5")
            .arg(FSnapshot.ColumnName(i), QString::number(kx), Number(FSnapshot.Loading(i, kx)),
                 QString::number(ky), Number(FSnapshot.Loading(i, ky)));
    return QStringLiteral("%1\nClass %2\nPC %3: %4\nPC %5: %6")
        .arg(FSnapshot.RowName(i), QString::number(FSnapshot.Classes[std::size_t(i - 1)]),
             QString::number(kx), Number(FSnapshot.Score(i, kx)), QString::number(ky),
             Number(FSnapshot.Score(i, ky)));
}

void TPlotController::Hover(TPlotKind Kind, int X, int Y)
{
    TKurvex& chart = Chart(Kind);
    const QString text = HoverText(Kind, X, Y);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(chart.mapToGlobal(QPoint(X, Y)), text, &chart);
}

void TPlotController::SelectRow(int Row)
{
    TValgrid& editor = *FForm.ValedData;
    const int a = editor.AttribRowVisible() ? 1 : 0, b = editor.AttribColVisible() ? 1 : 0;
    FClickSelection = {1 + a, Row + b, editor.NrOfColumns() + a, Row + b};
    editor.SetSelection(FClickSelection);
    if (Row < editor.TopRow() || Row >= editor.TopRow() + editor.VisibleRowCount())
        editor.SetTopRow(Row);
    UpdateRings();
}

void TPlotController::UpdateRings()
{
    std::vector<int> rows = SelectedRows(*FForm.ValedData, FClickSelection);
    if (rows == FOverlays[pkScores]->RingedRows()) return;
    FOverlays[pkScores]->SetRingedRows(std::move(rows));
    if (FSnapshot.Valid()) FForm.KXScores->Repaint();
}

void TPlotController::OpenMenu(TPlotKind Kind, int X, int Y)
{
    TPlotMenuActions actions;
    actions.SetComponentX = [this](int k) {
        TPlotOptions o = FOptions;
        o.ComponentX = k;
        SetOptions(o);
    };
    actions.SetComponentY = [this](int k) {
        TPlotOptions o = FOptions;
        o.ComponentY = k;
        SetOptions(o);
    };
    actions.Toggle = [this](bool TPlotOptions::*Option) {
        TPlotOptions o = FOptions;
        o.*Option = !(o.*Option);
        SetOptions(o);
    };
    actions.ShowEigenvalues = [this] { ShowEigenvalues(); };
    actions.CopyImage = [this, Kind] { CopyImage(Chart(Kind)); };
    actions.SaveImage = [this, Kind] { SaveImage(Kind); };
    actions.Print = [this, Kind] { Print(Kind); };
    TPopupMenu menu;
    FillPlotMenu(*menu.Items(), Kind, FOptions, FSnapshot.Components, actions);
    const QPoint at = Chart(Kind).mapToGlobal(QPoint(X, Y));
    menu.Popup(at.x(), at.y());
}

void TPlotController::ShowEigenvalues()
{
    TEigenvalueDialog dialog(FSnapshot, &FForm);
    dialog.exec();
}

void TPlotController::SaveImage(TPlotKind Kind)
{
    const QString file = ExportService().SaveFileName(&FForm, ImageFileFilter());
    if (!file.isEmpty() && !::SaveImage(Chart(Kind), file))
        MessageDlg(QStringLiteral("The image could not be written to %1.").arg(file), mtWarning,
                   mbOK);
}

void TPlotController::Print(TPlotKind Kind)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (ExportService().SetUpPrinter(&FForm, printer)) PrintChart(Chart(Kind), printer);
}
