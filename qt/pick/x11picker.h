#pragma once

#include "core/picksession.h"
#include "qt/pick/frozenscreen.h"
#include "qt/pick/loupepainter.h"
#include "qt/pick/screencolourpicker.h"
#include "qt/pick/x11lastpress.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QScreen;

// The program's own picker on X11: a frozen copy of the whole X screen, a loupe, and the mouse or
// the arrow keys to aim with, all in the X server's own device pixels.
class X11Picker : public ScreenColourPicker
{
    Q_OBJECT

public:
    // Null, with a reason, where the screen cannot be frozen.
    using Open = std::function<std::unique_ptr<FrozenScreen>(FrozenScreen::Sink, QString &)>;

    // Without an Open of its own the picker freezes the real X screen.
    explicit X11Picker(Open open = {}, QObject *parent = nullptr);
    ~X11Picker() override;

    void start() override;
    void prepare() override;
    bool isActive() const override;

    void handle(const PickEvent &event);
    // Ends the pick that another program or a change of the screen took away.
    void lose(FrozenScreen::Loss loss);

private:
    void cover();
    void watch(QScreen *screen);
    void tryGrab();
    // For the screen's scale, made anew where that changed.
    LoupePainter &painter(double scale);
    void showLoupe();
    LoupePainter::Grid grid() const;
    ColourValue colourAt(ScreenPoint pixel) const;
    void cancel();
    void end();

    // Only where the picker freezes the real X screen.
    std::unique_ptr<X11LastPress> m_lastPress;
    Open m_open;
    std::unique_ptr<FrozenScreen> m_screen;
    std::optional<PickSession> m_session;
    QTimer m_grabRetry;
    int m_grabTries = 0;
    QElapsedTimer m_grabWait;
    QTimer m_raise;
    std::optional<LoupePainter> m_painter;
};
