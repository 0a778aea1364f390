// The plot background's settings and the caption's placement rules.
#include "ZEV_kurvex_appearance.h"

#include <QFileInfo>
#include <cmath>

// ---- TBakGndImg -----------------------------------------------------------------------------

void TBakGndImg::SetName(const QString& Value)
{
    Update(FName, FIncludePath ? Value : QFileInfo(Value).fileName());
}

void TBakGndImg::SetIncludePath(bool Value)
{
    if (Value == FIncludePath) return;
    FIncludePath = Value;
    if (!Value) FName = QFileInfo(FName).fileName();
    FireEvent(OnChange, this);
}

void TBakGndImg::SetFillMode(TBkgFill Value)
{
    Update(FFillMode, Value);
}
void TBakGndImg::SetAreaMode(TBGAreaMode Value)
{
    Update(FAreaMode, Value);
}
void TBakGndImg::SetAreaColor(TColor Value)
{
    Update(FAreaColor, Value);
}
void TBakGndImg::SetAreaLeft(double Value)
{
    Update(FAreaLeft, Value);
}
void TBakGndImg::SetAreaRight(double Value)
{
    Update(FAreaRight, Value);
}
void TBakGndImg::SetAreaTop(double Value)
{
    Update(FAreaTop, Value);
}
void TBakGndImg::SetAreaBottom(double Value)
{
    Update(FAreaBottom, Value);
}

void TBakGndImg::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TBakGndImg*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FName = s->FName, FIncludePath = s->FIncludePath;
    FFillMode = s->FFillMode, FAreaMode = s->FAreaMode, FAreaColor = s->FAreaColor;
    FAreaLeft = s->FAreaLeft, FAreaRight = s->FAreaRight;
    FAreaTop = s->FAreaTop, FAreaBottom = s->FAreaBottom;
    FireEvent(OnChange, this);
}

void TBakGndImg::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}

// ---- caption -----------------------------------------------------------------------------------

QPoint TkxAppearance::CaptionAnchor(int Width, int Height) const
{
    int x = CaptionPosX, y = CaptionPosY;
    switch (CaptionAnchorHoriz) {
    case cahControlLeft:
        break;
    case cahChartLeft:
        x += MarginLeft;
        break;
    case cahChartCenter:
        x += MarginLeft + (Width - MarginLeft - MarginRight - ShadowWidth) / 2;
        break;
    case cahChartRight:
        x += Width - MarginRight - ShadowWidth;
        break;
    case cahControlRight:
        x += Width;
        break;
    }
    switch (CaptionAnchorVert) {
    case cavControlTop:
        break;
    case cavChartTop:
        y += MarginTop;
        break;
    case cavChartCenter:
        y += MarginTop + (Height - MarginTop - MarginBottom - ShadowWidth) / 2;
        break;
    case cavChartBottom:
        y += Height - MarginBottom;
        break;
    case cavControlBottom:
        y += Height;
        break;
    }
    return {x, y};
}

int TkxAppearance::CaptionRoom(int Width) const
{
    if (CaptionTrim == 0) return 0;
    const int room = Width - ShadowWidth - MarginLeft - MarginRight;
    return int(std::nearbyint(double(room) * CaptionTrim / 100));
}
