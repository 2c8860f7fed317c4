#pragma once

#include <QImage>
#include <QRect>

// A frozen copy of the whole virtual screen: image in device pixels, geometry in Qt's logical
// units. A null image means the screen could not be read.
struct ScreenCapture
{
    QImage image;
    QRect geometry;

    // Every screen, each grabbed once and composed at its place on the virtual screen.
    static ScreenCapture ofAllScreens();
};
