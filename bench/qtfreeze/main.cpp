// bench/freeze's work, started as a Qt program starts it: from a shortcut of its window, on
// Qt's own X connection. The least any Qt program does between the key and a loupe on screen;
// what it takes over bench/freeze is Qt's, before the program hears of the key.
#include <QApplication>
#include <QShortcut>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

constexpr int LoupeWidth = 110;
constexpr int LoupeHeight = 144;
constexpr int LoupeGap = 16;

void freeze()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *x = x11->connection();
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const xcb_window_t root = screen->root;
    const auto width = screen->width_in_pixels;
    const auto height = screen->height_in_pixels;
    const xcb_pixmap_t frozen = xcb_generate_id(x);
    xcb_create_pixmap(x, screen->root_depth, frozen, root, width, height);
    const xcb_gcontext_t gc = xcb_generate_id(x);
    const std::uint32_t gcValues[] = { XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS };
    xcb_create_gc(x, gc, root, XCB_GC_SUBWINDOW_MODE, gcValues);
    xcb_copy_area(x, root, frozen, gc, 0, 0, 0, 0, width, height);
    const xcb_window_t overlay = xcb_generate_id(x);
    const std::uint32_t overlayValues[] = { frozen, true };
    xcb_create_window(x, XCB_COPY_FROM_PARENT, overlay, root, 0, 0, width, height, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
        XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, overlayValues);
    xcb_map_window(x, overlay);
    // A Qt shortcut does not say where the pointer was: asked while the server copies.
    xcb_query_pointer_reply_t *pointer
        = xcb_query_pointer_reply(x, xcb_query_pointer(x, root), nullptr);
    if (!pointer)
        return;
    const xcb_window_t loupe = xcb_generate_id(x);
    const std::uint32_t loupeValues[] = { screen->black_pixel };
    xcb_create_window(x, XCB_COPY_FROM_PARENT, loupe, overlay,
        static_cast<std::int16_t>(pointer->root_x + LoupeGap),
        static_cast<std::int16_t>(pointer->root_y + LoupeGap), LoupeWidth, LoupeHeight, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, loupeValues);
    xcb_map_window(x, loupe);
    xcb_flush(x);
    std::free(pointer);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("qtfreeze"));
    window.resize(200, 100);
    QShortcut shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &window);
    QObject::connect(&shortcut, &QShortcut::activated, &freeze);
    window.show();
    return QApplication::exec();
}
