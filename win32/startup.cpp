#include "win32/startup.h"

#include "win32/fatalerror.h"
#include "win32/handlerguard.h"
#include "win32/kleurtjeswindow.h"

#include <commctrl.h>

int Startup::run(HINSTANCE instance, int showCommand) noexcept
{
    int status = FatalError::ExitStatus;
    guarded(nullptr, [&] {
        // Loads the common controls of version 6, which the manifest asks for.
        INITCOMMONCONTROLSEX controls { sizeof controls, ICC_STANDARD_CLASSES };
        InitCommonControlsEx(&controls);

        KleurtjesWindow window(instance);
        window.load();
        window.show(showCommand);
        status = messageLoop(window);
    });
    return status;
}

int Startup::messageLoop(KleurtjesWindow &window)
{
    MSG message {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.preTranslate(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
