#include "plotmenu.h"

#include "Menus.h"

namespace {
void AddComponentChoice(TMenuItem& Parent, const QString& Name, const QString& Caption, int Chosen,
                        int Components, const std::function<void(int)>& Choose)
{
    TMenuItem* axis = Parent.Add(Name, Caption);
    for (int k = 1; k <= Components; ++k) {
        TMenuItem* item = axis->Add(Name + QString::number(k), QStringLiteral("PC %1").arg(k),
                                    [Choose, k](TObject*) { Choose(k); });
        item->Checked = k == Chosen;
    }
}

void AddToggle(TMenuItem& Root, const QString& Name, const QString& Caption,
               const TPlotOptions& Options, bool TPlotOptions::*Option,
               const TPlotMenuActions& Actions)
{
    TMenuItem* item =
        Root.Add(Name, Caption, [Toggle = Actions.Toggle, Option](TObject*) { Toggle(Option); });
    item->Checked = Options.*Option;
}

void AddCommand(TMenuItem& Root, const QString& Name, const QString& Caption,
                const std::function<void()>& Action, bool Enabled = true)
{
    Root.Add(Name, Caption, [Action](TObject*) { Action(); })->Enabled = Enabled;
}
} // namespace

void FillPlotMenu(TMenuItem& Root, TPlotKind Kind, const TPlotOptions& Options, int Components,
                  const TPlotMenuActions& Actions)
{
    TMenuItem* components = Root.Add(QStringLiteral("MIComponents"), QStringLiteral("Components"));
    components->Enabled = Components > 0;
    AddComponentChoice(*components, QStringLiteral("MIAxisX"), QStringLiteral("Horizontal Axis"),
                       Options.ComponentX, Components, Actions.SetComponentX);
    AddComponentChoice(*components, QStringLiteral("MIAxisY"), QStringLiteral("Vertical Axis"),
                       Options.ComponentY, Components, Actions.SetComponentY);
    // The legend explains the class colours, which only the score plot uses.
    if (Kind == pkScores)
        AddToggle(Root, QStringLiteral("MILegend"), QStringLiteral("Show Legend"), Options,
                  &TPlotOptions::ShowLegend, Actions);
    AddToggle(Root, QStringLiteral("MILabels"), QStringLiteral("Label Points"), Options,
              &TPlotOptions::LabelPoints, Actions);
    AddToggle(Root, QStringLiteral("MIEqualAxes"), QStringLiteral("Equal Axis Scales"), Options,
              &TPlotOptions::EqualAxisScales, Actions);
    AddToggle(Root, QStringLiteral("MIVariance"), QStringLiteral("Explained Variance on Axes"),
              Options, &TPlotOptions::ExplainedVarianceOnAxes, Actions);
    Root.Add(QStringLiteral("MISep1"), QStringLiteral("-"));
    AddCommand(Root, QStringLiteral("MIEigenvalues"), QStringLiteral("Eigenvalues..."),
               Actions.ShowEigenvalues, Components > 0);
    Root.Add(QStringLiteral("MISep2"), QStringLiteral("-"));
    AddCommand(Root, QStringLiteral("MICopyImage"), QStringLiteral("Copy Image"),
               Actions.CopyImage);
    AddCommand(Root, QStringLiteral("MISaveImage"), QStringLiteral("Save Image As..."),
               Actions.SaveImage);
    AddCommand(Root, QStringLiteral("MIPrint"), QStringLiteral("Print..."), Actions.Print);
}
