// Data sharing between charts: a sharer displays its owner's data item list with its own scales,
// and every ShowItems hands the list on and repaints the charts that show it.
#include "Dialogs.h"
#include "ZEV_kurvex.h"

#include <algorithm>

void TCustomKurvex::SetJointLayers(TJointLayers* Value)
{
    if (!Value || Value == JointLayers()) return;
    JointLayers()->Assign(Value);
    Changed();
}

TCustomKurvex::~TCustomKurvex()
{
    EndSharing();
}

void TCustomKurvex::EndSharing()
{
    while (FSharerCount > 0) FSharers[std::size_t(FSharerCount - 1)]->SetUseDataOf(nullptr);
    if (FUseDataOf) FUseDataOf->RemoveSharer(this);
    StopUsingData();
}

void TCustomKurvex::StopUsingData()
{
    FUseDataOf = nullptr;
    FStore.EndShowingForeignData();
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
        FStore.ShowDataOf(Value->FStore);
        Value->FSharers[std::size_t(Value->FSharerCount++)] = this;
    } else {
        if (!FUseDataOf) return;
        FUseDataOf->RemoveSharer(this);
        StopUsingData();
    }
    Changed();
}

void TCustomKurvex::HandOnItems()
{
    if (FUseDataOf) {
        FStore.HandDataTo(FUseDataOf->FStore);
        for (int i = 1; i <= FUseDataOf->FSharerCount; ++i)
            FStore.HandDataTo(FUseDataOf->Sharer(i)->FStore);
    }
    for (int i = 1; i <= FSharerCount; ++i) FStore.HandDataTo(Sharer(i)->FStore);
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
