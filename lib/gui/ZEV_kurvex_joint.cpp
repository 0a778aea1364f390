// Layer coupling (TJointLayers) and data sharing between charts: a sharer displays its owner's
// data item list with its own scales, and every ShowItems hands the list on and repaints the
// charts that show it.
#include "Dialogs.h"
#include "ZEV_kurvex.h"

#include <QStringList>
#include <algorithm>

// ---- layer coupling ----------------------------------------------------------------------------

TJointLayers::TJointLayers(TCustomKurvex* Chart) : FChart(Chart)
{
    Reset();
}

void TJointLayers::Reset()
{
    for (int n = 1; n <= kxMaxLayer; ++n)
        FXController[std::size_t(n - 1)] = FYController[std::size_t(n - 1)] = n;
}

int TJointLayers::XController(int Layer) const
{
    return Layer >= 1 && Layer <= kxMaxLayer ? FXController[std::size_t(Layer - 1)] : Layer;
}

int TJointLayers::YController(int Layer) const
{
    return Layer >= 1 && Layer <= kxMaxLayer ? FYController[std::size_t(Layer - 1)] : Layer;
}

void TJointLayers::SetXControlledBy(int Layer, int Destination)
{
    Couple(FXController, true, Layer, Destination);
}

void TJointLayers::SetYControlledBy(int Layer, int Destination)
{
    Couple(FYController, false, Layer, Destination);
}

void TJointLayers::Couple(TControllers& Controllers, bool XAxis, int Layer, int Destination)
{
    if (Layer < 1 || Layer > kxMaxLayer) return;
    if (Destination < 1 || Destination > kxMaxLayer)
        throw EZEVKurvexError(
            QStringLiteral("Destination layer %1 is out of range").arg(Destination));
    int& controller = Controllers[std::size_t(Layer - 1)];
    if (Destination == Layer) {
        controller = Layer;
        return;
    }
    if (Controllers[std::size_t(Destination - 1)] != Destination)
        throw EZEVKurvexError(
            QStringLiteral("Destination layer %1 is already joined").arg(Destination));
    QStringList joined;
    for (int k = 1; k <= kxMaxLayer; ++k)
        if (k != Layer && Controllers[std::size_t(k - 1)] == Layer) joined << QString::number(k);
    if (!joined.isEmpty())
        throw EZEVKurvexError(QStringLiteral("Layer %1 is joined by other layers (%2)")
                                  .arg(Layer)
                                  .arg(joined.join(QStringLiteral(", "))));
    controller = Destination;
    if (FChart) {
        const TkxLayerRange own = FChart->RangeOf(Layer), lead = FChart->RangeOf(Destination);
        if (XAxis)
            FChart->StoreLayerRange(Layer, lead.LoX, lead.HiX, own.LoY, own.HiY);
        else
            FChart->StoreLayerRange(Layer, own.LoX, own.HiX, lead.LoY, lead.HiY);
        FChart->ComputeLayerFactors();
    }
    FireEvent(OnChange, this);
}

void TJointLayers::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TJointLayers*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FXController = s->FXController;
    FYController = s->FYController;
}

void TJointLayers::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}

void TCustomKurvex::SetJointLayers(TJointLayers* Value)
{
    if (!Value || Value == FJointLayers.get()) return;
    FJointLayers->Assign(Value);
    Changed();
}

// ---- data sharing ------------------------------------------------------------------------------

TCustomKurvex::~TCustomKurvex()
{
    EndSharing();
}

void TCustomKurvex::EndSharing()
{
    while (FSharerCount > 0) FSharers[std::size_t(FSharerCount - 1)]->SetUseDataOf(nullptr);
    if (FUseDataOf) FUseDataOf->RemoveSharer(this);
    FUseDataOf = nullptr;
}

TCustomKurvex* TCustomKurvex::Sharer(int Index) const
{
    return Index >= 1 && Index <= FSharerCount ? FSharers[std::size_t(Index - 1)] : nullptr;
}

void TCustomKurvex::RemoveSharer(TCustomKurvex* Chart)
{
    const auto end = FSharers.begin() + FSharerCount;
    const auto it = std::find(FSharers.begin(), end, Chart);
    if (it == end) return;
    std::move(it + 1, end, it);
    FSharers[std::size_t(--FSharerCount)] = nullptr;
}

void TCustomKurvex::SetUseDataOf(TCustomKurvex* Value)
{
    auto refuse = [](const char* Message) {
        MessageDlg(QString::fromLatin1(Message), mtInformation, mbOK);
    };
    if (Value == this) return refuse("Kurvex: Cannot share data with myself");
    if (FSharerCount > 0)
        return refuse("Kurvex: Cannot use foreign data. Other Kurvexs are using my own data.");
    if (Value == FUseDataOf) return;
    if (Value) {
        // Sharers are never owners: the request goes to the chart the data come from.
        if (Value->FUseDataOf) Value = Value->FUseDataOf;
        if (Value->FSharerCount >= MaxSharers)
            return refuse("Kurvex: Max. number of data shares exceeded");
        if (FUseDataOf) FUseDataOf->RemoveSharer(this);
        FUseDataOf = Value;
        FDataList = Value->FDataList;
        FDataListForeign = true;
        Value->FSharers[std::size_t(Value->FSharerCount++)] = this;
    } else {
        if (!FUseDataOf) return;
        FUseDataOf->RemoveSharer(this);
        FUseDataOf = nullptr;
    }
    Changed();
}

TkxItemList& TCustomKurvex::OwnDataList()
{
    if (FDataListForeign && !FUseDataOf) {
        FDataList = std::make_shared<TkxItemList>();
        FDataListForeign = false;
    }
    return *FDataList;
}

void TCustomKurvex::HandOnItems()
{
    if (FUseDataOf) {
        FUseDataOf->FDataList = FDataList;
        for (int i = 1; i <= FUseDataOf->FSharerCount; ++i)
            FUseDataOf->Sharer(i)->FDataList = FDataList;
    }
    for (int i = 1; i <= FSharerCount; ++i) Sharer(i)->FDataList = FDataList;
}

void TCustomKurvex::RepaintSharingCharts()
{
    auto repaint = [](TCustomKurvex* Chart) {
        if (Chart->FAutoRedraw) Chart->Repaint();
    };
    if (FUseDataOf) {
        repaint(FUseDataOf);
        // This chart is among its owner's sharers; it has just been drawn.
        for (int i = 1; i <= FUseDataOf->FSharerCount; ++i)
            if (FUseDataOf->Sharer(i) != this) repaint(FUseDataOf->Sharer(i));
    }
    for (int i = 1; i <= FSharerCount; ++i) repaint(Sharer(i));
}
