#include "platform/vcl/Graphics.h"

#include <vector>

#include "platform/vcl/SysUtils.h"

QColor ColorToQColor(TColor color, const QPalette& palette) {
    if ((color & 0x80000000u) != 0) {
        switch (color & 0xFFu) {
            case 0x0F: return palette.color(QPalette::Button);
            case 0x08: return palette.color(QPalette::WindowText);
            case 0x05: return palette.color(QPalette::Base);
            default: return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                  static_cast<int>((color >> 16) & 0xFFu));
}

void TCanvas::Attach(QPainter* painter, const QPalette& palette) {
    painter_ = painter;
    palette_ = palette;
    painter_->setRenderHint(QPainter::Antialiasing, false);
}

QPainter& TCanvas::Painter() {
    // Painting is only possible while the owning control has a surface; controls make sure of that
    // before they hand out the canvas.
    if (painter_ == nullptr) throw EInvalidOperation("キャンバスに描画できません");
    return *painter_;
}

void TCanvas::Polyline(std::initializer_list<QPoint> points) {
    QPainter& p = Painter();
    if (pen_.Style == TPenStyle::psClear) return;
    QPen pen(ColorToQColor(pen_.Color, palette_));
    pen.setWidth(pen_.Width <= 1 ? 0 : pen_.Width);  // width 0: cosmetic one-pixel line
    pen.setStyle(pen_.Style == TPenStyle::psDash  ? Qt::DashLine
                 : pen_.Style == TPenStyle::psDot ? Qt::DotLine
                                                  : Qt::SolidLine);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    const std::vector<QPoint> v(points);
    p.drawPolyline(v.data(), static_cast<int>(v.size()));
}

void TCanvas::FillRect(const QRect& rect) {
    QPainter& p = Painter();
    if (brush_.Clear) return;
    p.fillRect(rect, ColorToQColor(brush_.Color, palette_));
}

void TCanvas::TextRect(const QRect& rect, const QString& text, int alignment, TColor color) {
    QPainter& p = Painter();
    p.setPen(ColorToQColor(color, palette_));
    p.drawText(rect, alignment, text);
}
