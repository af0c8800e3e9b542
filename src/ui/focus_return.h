#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace velmora {

// Gives the keyboard focus back to the window that opened a dialog, and to
// the control in it that had it, once the dialog has closed: the shortcuts
// of the main window work only while it is the active window, and the
// desktop does not always hand it back.
class FocusReturn {
public:
    explicit FocusReturn(QWidget* opener)
        : window_(opener ? opener->window() : nullptr), focus_(QApplication::focusWidget())
    {
    }
    ~FocusReturn()
    {
        if (!window_ || !window_->isVisible())
            return;
        window_->activateWindow();
        if (focus_ && focus_->window() == window_)
            focus_->setFocus(Qt::ActiveWindowFocusReason);
    }
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

} // namespace velmora
