#include "ZEV_zevbase.h"

#include <algorithm>

QString NotEnoughMemoryMessage(const QString& ComponentName)
{
    return QStringLiteral("Component \"%1\": not enough memory on heap").arg(ComponentName);
}

// ---- date and time label settings ------------------------------------------------------------

TDTLabel::~TDTLabel()
{
    OnChange = nullptr;
}

void TDTLabel::SetTimeFormat(TTimeFormat Value)
{
    FTimeFormat = Value;
    Changed();
}

void TDTLabel::SetDateSeparator(QChar Value)
{
    if (Value == FDateSeparator) return;
    FDateSeparator = Value;
    Changed();
}

void TDTLabel::SetTimeSeparator(QChar Value)
{
    if (Value == FTimeSeparator) return;
    FTimeSeparator = Value;
    Changed();
}

void TDTLabel::SetYearLength(TYearLength Value)
{
    if (Value == FYearLength) return;
    FYearLength = Value;
    Changed();
}

void TDTLabel::SetMonthName(bool Value)
{
    if (Value == FMonthName) return;
    FMonthName = Value;
    Changed();
}

void TDTLabel::SetDateOrder(TDateOrder Value)
{
    FDateOrder = Value;
    Changed();
}

void TDTLabel::SetDateForTime(TDateForTime Value)
{
    if (Value == FDateForTime) return;
    FDateForTime = Value;
    Changed();
}

void TDTLabel::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TDTLabel*>(Source)) {
        FTimeFormat = src->FTimeFormat;
        FDateSeparator = src->FDateSeparator;
        FTimeSeparator = src->FTimeSeparator;
        FYearLength = src->FYearLength;
        FMonthName = src->FMonthName;
        FDateOrder = src->FDateOrder;
        FDateForTime = src->FDateForTime;
        OnChange = src->OnChange;
        return;
    }
    TPersistent::Assign(Source);
}

// Qualified calls: a descendant's Assign that falls back to the platform default would otherwise
// come straight back here.
void TDTLabel::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}

// ---- cross-hair ------------------------------------------------------------------------------
