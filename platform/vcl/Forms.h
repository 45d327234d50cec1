#pragma once
// Forms and anchors: a form is a top-level window that is also a component owning its controls.

#include <QDialog>
#include <QPointer>

#include "platform/vcl/Classes.h"

// Which edges of its parent a control keeps its distance to when the parent is resized.
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

// Anchors `control` to the named edges of its parent from its present geometry on. Left and top
// alone (the default) keep the control where it is; left and right stretch it with the parent.
void SetAnchors(QWidget* control, TAnchors anchors);
TAnchors Anchors(const QWidget* control);

// Controls made from a .ui file carry their names as object names; this gives every component
// owned by `root` that is a QObject and has no name yet its object name as its name.
void NameComponentsFromObjectNames(TComponent& root);

// A form: modal (ShowModal) or modeless (show), owner of its components. Geometry is in pixels at
// 96 dots per inch; the client area is the widget's own area.
class TForm : public QDialog, public TComponent {
    Q_OBJECT
public:
    explicit TForm(TComponent* AOwner, QWidget* parent = nullptr);
    ~TForm() override;
    const char* ClassName() const noexcept override { return "TForm"; }

    // Shows the form modally and returns its modal result when it closes.
    int ShowModal();
    // Closes the form; a modal form ends its modal loop.
    void Close();

    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    void SetClientWidth(int w) { resize(w, height()); }
    void SetClientHeight(int h) { resize(width(), h); }

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    // Runs each time the form is shown, before it is painted.
    TNotifyEvent OnShow;

    // The control that has (or, while the form is inactive, last had) the focus.
    QWidget* ActiveControl() const;
    // Moves the focus from `current` to the next (or previous) control in tab order; with
    // `checkTabStop` only controls that take the focus by Tab.
    void SelectNext(QWidget* current, bool goForward, bool checkTabStop);

protected:
    void showEvent(QShowEvent* event) override;
    // Esc clicks the form's cancel button (a button whose "Cancel" property is true) when the
    // focused control did not use the key itself; without a cancel button Esc does nothing.
    void keyPressEvent(QKeyEvent* event) override;
};
