#include "platform/vcl/StdCtrls.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>

#include "platform/vcl/Application.h"
#include "platform/vcl/SysUtils.h"
#include "platform/win32/CodePage.h"

std::string NoParentMessage(const std::string& name) {
    std::string text = win32::Utf8ToAnsi("コントロール '%s' は親ウィンドウを持っていません");
    text.replace(text.find("%s"), 2, name);
    return text;
}

TGraphicControl::TGraphicControl(TComponent* AOwner, QWidget* parent) : TControl(AOwner, parent) {}

TGraphicControl::~TGraphicControl() { EndDirectPaint(); }

TCanvas* TGraphicControl::Canvas() {
    if (parentWidget() == nullptr) throw EInvalidOperation(NoParentMessage(Name()));
    if (!canvas_.Active()) {
        // Outside a repaint: draw straight onto the surface, which is presented right away.
        if (surface_.size() != size()) {
            surface_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
            surface_.fill(Qt::transparent);
        }
        direct_ = std::make_unique<QPainter>(&surface_);
        direct_->setFont(font());
        canvas_.Attach(direct_.get(), palette());
        update();
    }
    return &canvas_;
}

void TGraphicControl::EndDirectPaint() noexcept {
    if (direct_) {
        canvas_.Detach();
        direct_.reset();
    }
}

void TGraphicControl::paintEvent(QPaintEvent*) {
    EndDirectPaint();
    if (parentWidget() == nullptr) return;  // nothing to paint on
    surface_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    surface_.fill(Qt::transparent);
    {
        QPainter p(&surface_);
        p.setFont(font());
        canvas_.Attach(&p, palette());
        GuardedCall([this] { Paint(); });
        canvas_.Detach();
    }
    QPainter(this).drawImage(0, 0, surface_);
}

void TGraphicControl::resizeEvent(QResizeEvent* event) {
    EndDirectPaint();
    QWidget::resizeEvent(event);
}

TLabel::TLabel(TComponent* AOwner, QWidget* parent) : TGraphicControl(AOwner, parent) {
    AdjustBounds();
}

TLabel::~TLabel() = default;

void TLabel::Changed() {
    AdjustBounds();
    update();
}

void TLabel::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Changed();
}

void TLabel::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    Changed();
}

void TLabel::SetLayout(TTextLayout value) {
    if (value == layout_) return;
    layout_ = value;
    Changed();
}

void TLabel::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    Changed();
}

void TLabel::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    update();
}

void TLabel::SetColor(TColor value) {
    color_ = value;
    update();
}

void TLabel::SetFontColor(TColor value) {
    fontColor_ = value;
    update();
}

void TLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) AdjustBounds();
    TGraphicControl::changeEvent(event);
}

void TLabel::AdjustBounds() {
    if (!autoSize_) return;
    const QFontMetrics fm(font());
    const QRect r = fm.boundingRect(QRect(), Qt::TextShowMnemonic, caption_);
    resize(std::max(r.width(), 1), std::max(fm.height(), r.height()));
}

void TLabel::Paint() {
    TCanvas* canvas = Canvas();
    const QRect r(0, 0, width(), height());
    if (!transparent_) {
        canvas->Brush().Color = color_;
        canvas->Brush().Clear = false;
        canvas->FillRect(r);
    }
    int flags = Qt::TextShowMnemonic;
    flags |= alignment_ == taCenter        ? Qt::AlignHCenter
             : alignment_ == taRightJustify ? Qt::AlignRight
                                            : Qt::AlignLeft;
    flags |= layout_ == tlCenter ? Qt::AlignVCenter : layout_ == tlBottom ? Qt::AlignBottom
                                                                          : Qt::AlignTop;
    canvas->TextRect(r, caption_, flags, fontColor_);
}
