#pragma once
// Graphic controls and the label.

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

// The text of the error raised when a control without a parent must paint, for `name`.
std::string NoParentMessage(const std::string& name);

// A control without a window of its own: it paints on its parent's surface through Canvas().
// Paint() runs for every repaint; calling it directly draws at once.
class TGraphicControl : public TControl {
    Q_OBJECT
public:
    TGraphicControl(TComponent* AOwner, QWidget* parent);
    explicit TGraphicControl(QWidget* parent = nullptr)
        : TGraphicControl(OwnerFromParent(parent), parent) {}
    ~TGraphicControl() override;
    const char* ClassName() const noexcept override { return "TGraphicControl"; }

    // The canvas to paint on; fails with the no-parent error when the control has no parent.
    TCanvas* Canvas();

    virtual void Paint() {}

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EndDirectPaint() noexcept;

    TCanvas canvas_;
    QImage surface_;                        // what the last paint drew
    std::unique_ptr<QPainter> direct_;      // a Paint() called outside a repaint draws here
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
    Q_OBJECT
public:
    TLabel(TComponent* AOwner, QWidget* parent);
    explicit TLabel(QWidget* parent = nullptr) : TLabel(OwnerFromParent(parent), parent) {}
    ~TLabel() override;
    const char* ClassName() const noexcept override { return "TLabel"; }

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const noexcept { return layout_; }
    void SetLayout(TTextLayout value);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool value);
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool value);
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor value);
    TColor FontColor() const noexcept { return fontColor_; }
    void SetFontColor(TColor value);

    // Background (unless transparent) and the caption.
    void Paint() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void AdjustBounds();
    void Changed();

    QString caption_;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true;
    bool transparent_ = false;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
};
