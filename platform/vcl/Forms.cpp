#include "platform/vcl/Forms.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QResizeEvent>

#include "platform/vcl/ModalSeam.h"

namespace {

// Distances of an anchored control to its parent's edges, kept as dynamic properties of the
// control so that any parent can hold anchored children without bookkeeping of its own.
constexpr const char* kAnchors = "quillan.anchors";
constexpr const char* kMargins = "quillan.anchorMargins";  // QRect(left, top, right, bottom)

class AnchorKeeper : public QObject {
public:
    explicit AnchorKeeper(QWidget* parent) : QObject(parent) { parent->installEventFilter(this); }

    static void Ensure(QWidget* parent) {
        // The keeper has no meta-object of its own, so findChild cannot tell it from other
        // children; look for it by type.
        for (QObject* o : parent->children()) {
            if (dynamic_cast<AnchorKeeper*>(o) != nullptr) return;
        }
        new AnchorKeeper(parent);  // owned by `parent`
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            auto* parent = static_cast<QWidget*>(watched);
            for (QObject* o : parent->children()) {
                auto* w = qobject_cast<QWidget*>(o);
                if (w != nullptr && w->property(kAnchors).isValid()) Apply(w, parent->size());
            }
        }
        return false;
    }

private:
    static void Apply(QWidget* w, QSize parentSize) {
        const TAnchors a = w->property(kAnchors).toUInt();
        const QRect m = w->property(kMargins).toRect();
        const int left = m.x(), top = m.y(), right = m.width(), bottom = m.height();
        QRect g = w->geometry();
        if ((a & akLeft) && (a & akRight)) {
            g.setLeft(left);
            g.setWidth(parentSize.width() - left - right);
        } else if (a & akRight) {
            g.moveLeft(parentSize.width() - right - g.width());
        }
        if ((a & akTop) && (a & akBottom)) {
            g.setTop(top);
            g.setHeight(parentSize.height() - top - bottom);
        } else if (a & akBottom) {
            g.moveTop(parentSize.height() - bottom - g.height());
        }
        w->setGeometry(g);
    }
};

}  // namespace

void SetAnchors(QWidget* control, TAnchors anchors) {
    QWidget* parent = control->parentWidget();
    control->setProperty(kAnchors, anchors);
    if (parent == nullptr) return;
    const QRect g = control->geometry();
    control->setProperty(kMargins, QRect(g.x(), g.y(), parent->width() - g.x() - g.width(),
                                         parent->height() - g.y() - g.height()));
    AnchorKeeper::Ensure(parent);
}

TAnchors Anchors(const QWidget* control) {
    const QVariant v = control->property(kAnchors);
    return v.isValid() ? v.toUInt() : TAnchors(akLeft | akTop);
}

TForm::TForm(TComponent* AOwner, QWidget* parent) : QDialog(parent), TComponent(AOwner) {
    // A form is a window with a system menu and a close box only, like a VCL dialog form.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

TForm::~TForm() = default;

int TForm::ShowModal() { return ExecModal(*this); }

void TForm::Close() { close(); }

void TForm::showEvent(QShowEvent* event) {
    if (OnShow) OnShow(this);
    QDialog::showEvent(event);
}

QWidget* TForm::ActiveControl() const {
    QWidget* w = focusWidget();
    return (w != nullptr && isAncestorOf(w)) ? w : nullptr;
}

void TForm::SelectNext(QWidget* current, bool goForward, bool checkTabStop) {
    if (current == nullptr) current = this;
    QWidget* w = current;
    for (;;) {
        w = goForward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == nullptr || w == current) return;
        const Qt::FocusPolicy needed = checkTabStop ? Qt::TabFocus : Qt::ClickFocus;
        if (isAncestorOf(w) && w->isEnabled() && !w->isHidden() && w->isVisibleTo(this) &&
            (w->focusPolicy() & needed) == needed && w->focusProxy() == nullptr) {
            w->setFocus(goForward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

void TForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
            if (b->property("Cancel").toBool() && b->isVisibleTo(this) && b->isEnabled()) {
                b->click();
                break;
            }
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void NameComponentsFromObjectNames(TComponent& root) {
    for (int i = 0; i < root.ComponentCount(); ++i) {
        TComponent* c = root.Components(i);
        const auto* o = dynamic_cast<const QObject*>(c);
        if (o != nullptr && c->Name().empty() && !o->objectName().isEmpty()) {
            c->SetName(o->objectName().toStdString());
        }
    }
}
