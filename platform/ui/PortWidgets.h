// The Qt widgets of the window layer: the desktop, window frames and the
// views that show a window's port. They only paint; input is taken by the
// layer's application-wide event filter (Events.cpp).
#pragma once

#include "platform/ui/WindowInternal.h"

#include <QImage>
#include <QWidget>

namespace ui_internal {

class DesktopArea : public QWidget {
public:
    explicit DesktopArea(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Shows a port's pixels 1:1 in device-independent pixels; on a high-DPI
// screen each port pixel becomes an integer block, never smoothed.
class PortView : public QWidget {
public:
    PortView(WindowRecord* rec, QWidget* parent);
    WindowRecord* record() const { return rec_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    WindowRecord* rec_;
    QImage scratch_;  // converted pixels, reused between paints
};

// The whole window: its title bar and border are painted here, the content
// is the PortView child.
class FrameWidget : public QWidget {
public:
    FrameWidget(WindowRecord* rec, QWidget* parent, Qt::WindowFlags flags);
    WindowRecord* record() const { return rec_; }
    PortView* view() const { return view_; }
    // The window is going: its view goes first, so nothing paints from the record.
    void forget() {
        rec_ = nullptr;
        delete view_;
        view_ = nullptr;
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    WindowRecord* rec_;
    PortView* view_;
};

// Converts rows of 32-bit port pixels (pad, R, G, B in memory) to Qt's RGB32.
void ConvertPortRows(const UInt8* src, SInt32 srcRowBytes, QImage& dst, int left, int top, int width,
                     int height);

}  // namespace ui_internal
