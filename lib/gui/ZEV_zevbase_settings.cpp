#include "ZEV_zevbase_draw.h"

void TCrossHair::SetPosX(double Value)
{
    FPosX = Value;
    Changed();
}

void TCrossHair::SetPosY(double Value)
{
    FPosY = Value;
    Changed();
}

void TCrossHair::SetColor(TColor Value)
{
    FColor = Value;
    Changed();
}

void TCrossHair::SetMode(TCrossHMode Value)
{
    FMode = Value;
    Changed();
}

void TCrossHair::SetLineType(TPenStyle Value)
{
    FLineType = Value;
    Changed();
}

void TCrossHair::SetLineWid(int Value)
{
    FLineWid = Value;
    Changed();
}

void TCrossHair::SetLayer(int Value)
{
    FLayer = std::clamp(Value, 1, MaxLayer);
    Changed();
}

void TCrossHair::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TCrossHair*>(Source)) {
        FPosX = src->FPosX;
        FPosY = src->FPosY;
        FColor = src->FColor;
        FMode = src->FMode;
        FLineType = src->FLineType;
        FLineWid = src->FLineWid;
        FLayer = src->FLayer;
        OnChange = src->OnChange;
        return;
    }
    TPersistent::Assign(Source);
}

void TCrossHair::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}

// ---- text label ------------------------------------------------------------------------------

TCustomTextLabel::TCustomTextLabel() = default;

void TCustomTextLabel::SetPosX(double Value)
{
    FPosX = Value;
    Changed();
}

void TCustomTextLabel::SetPosY(double Value)
{
    FPosY = Value;
    Changed();
}

void TCustomTextLabel::SetLayer(int Value)
{
    if (Value < 1 || Value > MaxLayer) return;
    FLayer = Value;
    Changed();
}

void TCustomTextLabel::SetShadowDx(int Value)
{
    FShadowDx = Value;
    Changed();
}

void TCustomTextLabel::SetShadowDy(int Value)
{
    FShadowDy = Value;
    Changed();
}

void TCustomTextLabel::SetColorShadow(TColor Value)
{
    FColorShadow = Value;
    Changed();
}

void TCustomTextLabel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Changed();
}

void TCustomTextLabel::SetVerticalAlignment(TVerticalAlignment Value)
{
    FVerticalAlignment = Value;
    Changed();
}

void TCustomTextLabel::SetAttachToData(TTxtLblAttachMode Value)
{
    FAttachToData = Value;
    Changed();
}

void TCustomTextLabel::SetColorBkg(TColor Value)
{
    FColorBkg = Value;
    Changed();
}

void TCustomTextLabel::SetColorBorder(TColor Value)
{
    FColorBorder = Value;
    Changed();
}

void TCustomTextLabel::SetTransparent(bool Value)
{
    FTransparent = Value;
    Changed();
}

void TCustomTextLabel::SetFont(TFont* Value)
{
    if (Value && Value != &FFont) FFont.Assign(Value);
    Changed();
}

void TCustomTextLabel::SetCaption(const QString& Value)
{
    QString caption = Value;
    for (QChar& c : caption)
        if (c.unicode() < 32 && c != u'\n') c = u' ';
    FCaption = caption;
    Changed();
}

void TCustomTextLabel::SetMode(TTxtLblMode Value)
{
    FMode = Value;
    Changed();
}

void TCustomTextLabel::SetVisible(bool Value)
{
    FVisible = Value;
    Changed();
}

void TCustomTextLabel::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TCustomTextLabel*>(Source)) {
        if (src == this) return;
        FPosX = src->FPosX;
        FPosY = src->FPosY;
        FLayer = src->FLayer;
        FShadowDx = src->FShadowDx;
        FShadowDy = src->FShadowDy;
        FColorShadow = src->FColorShadow;
        FAlignment = src->FAlignment;
        FVerticalAlignment = src->FVerticalAlignment;
        FAttachToData = src->FAttachToData;
        FColorBkg = src->FColorBkg;
        FColorBorder = src->FColorBorder;
        FTransparent = src->FTransparent;
        FFont.Assign(&src->FFont);
        FCaption = src->FCaption;
        FMode = src->FMode;
        FVisible = src->FVisible;
        OnChange = src->OnChange;
        return;
    }
    TPersistent::Assign(Source);
}

void TCustomTextLabel::AssignTo(TPersistent* Dest)
{
    if (!AssignToOwnKind(this, Dest)) TPersistent::AssignTo(Dest);
}
