#include "qt/overlaypicker.h"

#include "qt/handlerguard.h"
#include "qt/pickeroverlay.h"

#include <QGuiApplication>
#include <QScreen>

OverlayPicker::OverlayPicker(Capture capture, QObject *parent)
    : ScreenColourPicker(parent)
    , m_capture(capture ? std::move(capture) : Capture(&ScreenCapture::ofAllScreens))
{
    // The frozen copy no longer matches a screen that came, went or changed size.
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watch(screen);
        cancel();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &OverlayPicker::cancel);
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
}

OverlayPicker::~OverlayPicker()
{
    delete m_overlay;
    delete m_ended;
}

void OverlayPicker::start()
{
    if (isActive())
        return;
    ScreenCapture capture = m_capture();
    if (capture.image.isNull() || capture.geometry.isEmpty()) {
        emit refused(QStringLiteral("het scherm kon niet worden gelezen"));
        return;
    }
    m_overlay = new PickerOverlay(std::move(capture));
    connect(m_overlay, &PickerOverlay::picked, this, &OverlayPicker::pick);
    connect(m_overlay, &PickerOverlay::cancelled, this, &OverlayPicker::cancel);

    m_overlay->begin();
}

bool OverlayPicker::isActive() const
{
    return m_overlay;
}

void OverlayPicker::watch(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &OverlayPicker::cancel);
}

void OverlayPicker::pick(ColourValue value)
{
    guarded([this, value] {
        if (!isActive())
            return;
        end();
        emit picked(value);
    });
}

void OverlayPicker::cancel()
{
    guarded([this] {
        if (!isActive())
            return;
        end();
        emit cancelled();
    });
}

// The capture goes with the window, at once: a pick costs no memory after it.
void OverlayPicker::end()
{
    PickerOverlay *overlay = m_overlay;
    m_overlay = nullptr;
    overlay->releaseKeyboard();
    overlay->releaseMouse();
    overlay->hide();
    overlay->disconnect(this);
    overlay->deleteLater();
    m_ended = overlay;
}

PickerOverlay *OverlayPicker::overlay() const
{
    return m_overlay;
}
