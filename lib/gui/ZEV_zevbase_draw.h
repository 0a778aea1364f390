// Drawing side of the library's common ground: the cross-hair and text-label settings objects
// of the chart, and the mark and frame drawing routines.
#pragma once

#include "Graphics.h"
#include "ZEV_zevbase.h"

#include <cstdint>

// A chart cross-hair. A fresh object is all zero; the chart sets its defaults.
class TCrossHair : public TPersistent {
  public:
    static constexpr int MaxLayer = 16;
    double PosX() const { return FPosX; }
    void SetPosX(double Value);
    double PosY() const { return FPosY; }
    void SetPosY(double Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TCrossHMode Mode() const { return FMode; }
    void SetMode(TCrossHMode Value);
    TPenStyle LineType() const { return FLineType; }
    void SetLineType(TPenStyle Value);
    int LineWid() const { return FLineWid; }
    void SetLineWid(int Value);
    int Layer() const { return FLayer; }
    // Clamped to 1..16.
    void SetLayer(int Value);
    TNotifyEvent OnChange;

    void Assign(TPersistent* Source) override;

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    void Changed() { FireEvent(OnChange, this); }
    double FPosX = 0;
    double FPosY = 0;
    TColor FColor = 0;
    TCrossHMode FMode = chOff;
    TPenStyle FLineType = psSolid;
    int FLineWid = 0;
    int FLayer = 0;
};

// A text label of a chart: position in pixels or data units, box, shadow, font and caption.
class TCustomTextLabel : public TPersistent {
  public:
    static constexpr int MaxLayer = 16;
    TCustomTextLabel();
    double PosX() const { return FPosX; }
    void SetPosX(double Value);
    double PosY() const { return FPosY; }
    void SetPosY(double Value);
    int Layer() const { return FLayer; }
    // Values outside 1..16 are ignored.
    void SetLayer(int Value);
    int ShadowDx() const { return FShadowDx; }
    void SetShadowDx(int Value);
    int ShadowDy() const { return FShadowDy; }
    void SetShadowDy(int Value);
    TColor ColorShadow() const { return FColorShadow; }
    void SetColorShadow(TColor Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment Value);
    TTxtLblAttachMode AttachToData() const { return FAttachToData; }
    void SetAttachToData(TTxtLblAttachMode Value);
    TColor ColorBkg() const { return FColorBkg; }
    void SetColorBkg(TColor Value);
    TColor ColorBorder() const { return FColorBorder; }
    void SetColorBorder(TColor Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TFont* Font() { return &FFont; }
    const TFont* Font() const { return &FFont; }
    // Copies the attributes of Value into the owned font.
    void SetFont(TFont* Value);
    const QString& Caption() const { return FCaption; }
    // Control characters other than line feed become blanks; line feeds separate lines.
    void SetCaption(const QString& Value);
    TTxtLblMode Mode() const { return FMode; }
    void SetMode(TTxtLblMode Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TNotifyEvent OnChange;

    // Copies every field, the handler included and the font by its attributes, without
    // notifying.
    void Assign(TPersistent* Source) override;

  protected:
    void AssignTo(TPersistent* Dest) override;

  private:
    void Changed() { FireEvent(OnChange, this); }
    double FPosX = 100.0;
    double FPosY = 10.0;
    int FLayer = 1;
    int FShadowDx = 0;
    int FShadowDy = 0;
    TColor FColorShadow = clGray;
    TAlignment FAlignment = taCenter;
    TVerticalAlignment FVerticalAlignment = vaBottom;
    TTxtLblAttachMode FAttachToData = tlamNone;
    TColor FColorBkg = clSilver;
    TColor FColorBorder = clBlack;
    bool FTransparent = false;
    TFont FFont;
    QString FCaption;
    TTxtLblMode FMode = tlsimple;
    bool FVisible = true;
};

// Draws mark number Mark centred on pixel (X, Y) in the pen colour: shapes for 0..51, the digits
// "0".."9" for 200..209 and the character of that code for the others. Shape marks restore the
// brush colour; character marks leave the brush clear and the font colour at the pen colour.
void DrawMark(TCanvas* Canvas, std::uint8_t Mark, int X, int Y);
// The pixel stamp DrawMark sets for Mark on Canvas, or nullptr when it draws that mark otherwise
// (shapes, characters, and every mark on the printer). Setting the stamp in the pen colour is
// the same as calling DrawMark.
const TPixelStamp* MarkStamp(const TCanvas* Canvas, std::uint8_t Mark);

// Frames the rectangle Left..Right by Top..Bottom (all inclusive) in the look of Style. fsSimple
// draws a one-pixel outline in SimpleColor; the bevelled looks take their colours from C1..C4
// (the scale passes dark, shadow, silver and light).
void DrawFrame(TCanvas* Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom,
               TColor SimpleColor, TColor C1, TColor C2, TColor C3, TColor C4);
