#include "qt/pick/x11picker.h"

#include "core/colournotation.h"
#include "qt/handlerguard.h"
#include "qt/pick/x11pickerwindow.h"
#include "qt/qtcolour.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <chrono>

namespace {

// A window mapped a moment ago, or another program's grab about to end, may refuse the first
// try: a few more, over some 200 ms, before the pick is refused. A shortcut's program holds its
// grab for as long as its key or button is down: that is waited for, for a while.
constexpr int GrabTries = 6;
constexpr int GrabRetryMs = 40;
constexpr int HeldGrabWaitMs = 5000;

std::chrono::milliseconds steadyNow()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace

X11Picker::X11Picker(Open open, QObject *parent)
    : ScreenColourPicker(parent)
{
    if (open) {
        m_open = std::move(open);
    } else {
        m_lastPress = std::make_unique<X11LastPress>();
        m_open = [this](FrozenScreen::Sink sink, QString &reason) {
            return X11PickerWindow::open(std::move(sink), reason, m_lastPress->place());
        };
    }
    // The frozen copy no longer matches a screen that came, went or changed size.
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        guarded([this, screen] { watch(screen); });
        cancel();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &X11Picker::cancel);
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    m_grabRetry.setSingleShot(true);
    m_grabRetry.setInterval(GrabRetryMs);
    connect(&m_grabRetry, &QTimer::timeout, this, [this] { guarded([this] { tryGrab(); }); });
    m_raise.setSingleShot(true);
    connect(&m_raise, &QTimer::timeout, this, [this] {
        guarded([this] {
            if (m_screen)
                m_screen->raise();
        });
    });
}

X11Picker::~X11Picker() = default;

void X11Picker::start()
{
    if (isActive())
        return;
    QString why;
    m_screen = m_open({ [this](const PickEvent &event) { handle(event); },
                          [this](FrozenScreen::Loss loss) { lose(loss); }, [this] { cover(); },
                          [this](double scale) { painter(scale); } },
        why);
    if (!m_screen) {
        emit refused(
            refusal(why.isEmpty() ? QStringLiteral("het scherm kon niet worden gelezen") : why));
        return;
    }
    m_session.emplace(MonitorLayout(m_screen->rect(), m_screen->monitors()), m_screen->pointer());
    for (const PickInput input : m_screen->held())
        m_session->heldAtStart(input);
    showLoupe();
    m_grabTries = 0;
    m_grabWait.start();
    tryGrab();
}

// The first loupe would otherwise load its font and glyphs while the user waits for it.
void X11Picker::prepare()
{
    guarded([this] { painter(LoupePainter::screenScale()); });
}

bool X11Picker::isActive() const
{
    return m_screen != nullptr;
}

// The screen may call this from its own event handling, and ends with the pick: nothing of it
// is touched once the pick is over.
void X11Picker::handle(const PickEvent &event)
{
    if (!m_session)
        return;
    switch (m_session->handle(event)) {
    case PickSession::Result::None:
        return;
    case PickSession::Result::Moved:
        return showLoupe();
    case PickSession::Result::Stepped:
        showLoupe();
        // The hot spot follows, so that a click afterwards picks the same pixel.
        return m_screen->warpPointer(m_session->pixel());
    case PickSession::Result::Picked: {
        const ColourValue value = colourAt(m_session->pixel());
        end();
        emit picked(value);
        return;
    }
    case PickSession::Result::Cancelled:
        end();
        emit cancelled();
        return;
    }
}

void X11Picker::lose(FrozenScreen::Loss loss)
{
    if (!isActive())
        return;
    end();
    if (loss == FrozenScreen::Loss::Resized)
        emit cancelled();
    else
        emit refused(
            refusal(u"een ander programma heeft het venster van de kiezer gesloten"), false);
}

// A window that raises itself whenever it is covered would raise and be raised as fast as
// the server lets both.
void X11Picker::cover()
{
    if (!m_session)
        return;
    const std::chrono::milliseconds now = steadyNow();
    const std::chrono::milliseconds at = m_session->raiseAt(now);
    if (at <= now)
        m_screen->raise();
    else if (!m_raise.isActive())
        m_raise.start(at - now);
}

void X11Picker::watch(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &X11Picker::cancel);
}

void X11Picker::tryGrab()
{
    if (!m_screen)
        return;
    const FrozenScreen::Grab grab = m_screen->grab();
    if (grab.taken)
        return m_session->stillHeld(grab.held);
    // A shortcut still held is waited for, up to a limit; the few tries after it count from
    // the last one that found something down.
    if (grab.anyDown && !m_grabWait.hasExpired(HeldGrabWaitMs)) {
        m_grabTries = 0;
        return m_grabRetry.start();
    }
    if (++m_grabTries < GrabTries)
        return m_grabRetry.start();
    end();
    emit refused(refusal(u"een ander programma houdt muis of toetsenbord vast"));
}

LoupePainter &X11Picker::painter(double scale)
{
    if (!m_painter || m_painter->scale() != scale) {
        m_painter.emplace(scale);
        m_painter->warm();
    }
    return *m_painter;
}

void X11Picker::showLoupe()
{
    LoupePainter &loupe = painter(m_screen->scale());
    const QImage image = loupe.paint(grid());
    const ScreenPoint at = m_session->monitors().loupePosition(
        m_session->pixel(), image.width(), image.height(), loupe.gap());
    m_screen->showLoupe(at, image);
}

LoupePainter::Grid X11Picker::grid() const
{
    const ScreenPoint pixel = m_session->pixel();
    const MonitorLayout &monitors = m_session->monitors();
    const int half = LoupePainter::Cells / 2;
    const ScreenRect screen = m_screen->rect();
    const int left = std::max(pixel.x - half, screen.x);
    const int top = std::max(pixel.y - half, screen.y);
    const int right = std::min(pixel.x + half, screen.right());
    const int bottom = std::min(pixel.y + half, screen.bottom());
    const QImage pixels = m_screen->pixels({ left, top, right - left + 1, bottom - top + 1 });

    LoupePainter::Grid grid;
    for (int row = 0; row < LoupePainter::Cells; ++row) {
        for (int column = 0; column < LoupePainter::Cells; ++column) {
            const int x = pixel.x - half + column;
            const int y = pixel.y - half + row;
            if (x >= left && x <= right && y >= top && y <= bottom
                && monitors.nearest({ x, y }) == ScreenPoint { x, y })
                grid[static_cast<std::size_t>(row * LoupePainter::Cells + column)]
                    = pixels.pixel(x - left, y - top);
        }
    }
    return grid;
}

ColourValue X11Picker::colourAt(ScreenPoint pixel) const
{
    return colourValue(QColor(m_screen->pixels({ pixel.x, pixel.y, 1, 1 }).pixel(0, 0)));
}

void X11Picker::cancel()
{
    guarded([this] {
        if (!isActive())
            return;
        end();
        emit cancelled();
    });
}

// The frozen screen goes at once, in the X server as well: a pick costs no memory after it.
void X11Picker::end()
{
    m_grabRetry.stop();
    m_raise.stop();
    m_session.reset();
    m_screen.reset();
}
