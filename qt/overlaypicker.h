#pragma once

#include "qt/screencapture.h"
#include "qt/screencolourpicker.h"

#include <QPointer>

#include <functional>

class PickerOverlay;
class QScreen;

// The program's own picker: a frozen copy of every screen, a loupe, and the mouse or the
// arrow keys to aim with.
class OverlayPicker : public ScreenColourPicker
{
    Q_OBJECT

public:
    using Capture = std::function<ScreenCapture()>;

    // Without a capture of its own the picker reads the real screens.
    explicit OverlayPicker(Capture capture = {}, QObject *parent = nullptr);
    ~OverlayPicker() override;

    void start() override;
    bool isActive() const override;

    // The window shown during a pick, or null.
    PickerOverlay *overlay() const;

private:
    void watch(QScreen *screen);
    void pick(ColourValue value);
    void cancel();
    void end();

    Capture m_capture;
    QPointer<PickerOverlay> m_overlay;
    // Ended, its deletion posted; gone with the picker at the latest.
    QPointer<PickerOverlay> m_ended;
};
