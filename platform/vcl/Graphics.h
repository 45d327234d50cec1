#pragma once
// Colours, pens and the canvas through which controls paint.

#include <QPainter>
#include <QPalette>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <initializer_list>

// A colour as 0x00BBGGRR, or a system colour (high bit set, low byte the system index).
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clWindow = 0x80000005;

// Resolves a colour for painting; system colours come from `palette`.
QColor ColorToQColor(TColor color, const QPalette& palette = QPalette());

enum class TPenStyle { psSolid, psDash, psDot, psClear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
};

struct TBrush {
    TColor Color = clWhite;
    bool Clear = false;
};

// A canvas over a painter that the owning control sets up for the time of one paint. Lines are
// drawn without antialiasing, so a one-pixel pen covers exactly the pixels it passes through,
// end points included.
class TCanvas {
public:
    TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen& Pen() noexcept { return pen_; }
    TBrush& Brush() noexcept { return brush_; }

    void Polyline(std::initializer_list<QPoint> points);
    void FillRect(const QRect& rect);
    // Draws `text` in `rect` with Qt alignment flags; `&` is shown literally.
    void TextRect(const QRect& rect, const QString& text, int alignment, TColor color);

    bool Active() const noexcept { return painter_ != nullptr; }

    // Used by the control that owns the canvas.
    void Attach(QPainter* painter, const QPalette& palette);
    void Detach() noexcept { painter_ = nullptr; }

private:
    QPainter& Painter();

    QPainter* painter_ = nullptr;
    QPalette palette_;
    TPen pen_;
    TBrush brush_;
};
