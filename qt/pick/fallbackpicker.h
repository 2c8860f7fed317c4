#pragma once

#include "qt/pick/screencolourpicker.h"

// One picker, and another where the first cannot take the screen. On X11 a desktop may run a
// portal whose screenshot backend belongs to another desktop: it offers PickColor, then fails.
// Not where the user has waited on the first already: a screen that froze then would come
// unasked. Takes both pickers as its children.
class FallbackPicker : public ScreenColourPicker
{
    Q_OBJECT

public:
    explicit FallbackPicker(
        ScreenColourPicker *first, ScreenColourPicker *second, QObject *parent = nullptr);

    void start() override;
    void prepare() override;
    bool isActive() const override;

private:
    ScreenColourPicker *m_first = nullptr;
    ScreenColourPicker *m_second = nullptr;
};
