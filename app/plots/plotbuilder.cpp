#include "plotbuilder.h"

#include "ZEV_kurvex.h"

namespace {
double Percent(const TPCASnapshot& Data, int Component)
{
    return Component >= 1 && Component <= int(Data.PercentOfTotal.size())
               ? Data.PercentOfTotal[std::size_t(Component - 1)]
               : 0.0;
}

void StartPlot(TKurvex& Chart, const TPCASnapshot& Data, const TPlotOptions& Options,
               const QString& Caption)
{
    Chart.ClearItems();
    const bool variance = Options.ExplainedVarianceOnAxes;
    Chart.Scale1X()->SetCaption(
        AxisCaption(Options.ComponentX, variance, Percent(Data, Options.ComponentX)));
    Chart.Scale1Y()->SetCaption(
        AxisCaption(Options.ComponentY, variance, Percent(Data, Options.ComponentY)));
    Chart.SetCaption(Caption);
    Chart.SetIsometric(Options.EqualAxisScales);
}

void FinishPlot(TKurvex& Chart)
{
    Chart.AutoRange(1, 3);
    Chart.ShowItems();
}
} // namespace

QString AxisCaption(int Component, bool WithVariance, double PercentOfTotal)
{
    QString caption = QStringLiteral("PC ") + QString::number(Component);
    if (WithVariance)
        caption += QStringLiteral(" (%1 %)").arg(QString::number(PercentOfTotal, 'f', 2));
    return caption;
}

void BuildScorePlot(TKurvex& Chart, const TPCASnapshot& Data, const TPlotOptions& Options,
                    const QString& Scaling)
{
    StartPlot(Chart, Data, Options, QStringLiteral("Score/Score Plot - ") + Scaling);
    for (int r = 1; r <= Data.Rows; ++r) {
        Chart.SetDataColor(ClassColor(Data.Classes[std::size_t(r - 1)]));
        Chart.AddMark(Data.Score(r, Options.ComponentX), Data.Score(r, Options.ComponentY), 6);
    }
    FinishPlot(Chart);
}

void BuildLoadingPlot(TKurvex& Chart, const TPCASnapshot& Data, const TPlotOptions& Options,
                      const QString& Scaling)
{
    StartPlot(Chart, Data, Options, QStringLiteral("Loading/Loading Plot - ") + Scaling);
    Chart.SetDataColor(8421504); // grey axes through the origin
    Chart.AddLine(-1, 0, 1, 0);
    Chart.AddLine(0, -1, 0, 1);
    Chart.SetDataColor(8388608); // navy
    const int kx = Options.ComponentX, ky = Options.ComponentY;
    if (Data.Columns > 0) Chart.MoveTo(Data.Loading(1, kx), Data.Loading(1, ky));
    for (int c = 1; c <= Data.Columns; ++c) {
        Chart.SetItemTag(0);
        // Named labels are placed around their marks when the plot is drawn.
        if (Options.LabelPoints)
            Chart.AddMark(Data.Loading(c, kx), Data.Loading(c, ky), LoadingMarkType);
        else
            Chart.AddText(Data.Loading(c, kx), Data.Loading(c, ky), 8, QString::number(c));
    }
    FinishPlot(Chart);
}
