#include "win32/startup.h"

#include "core/recentstore.h"
#include "win32/comapartment.h"
#include "win32/fatalerror.h"
#include "win32/handlerguard.h"
#include "win32/kleurtjeswindow.h"
#include "win32/standardhandles.h"
#include "win32/startoptions.h"
#include "win32/windowsstatefolder.h"

#include <commctrl.h>

#include <memory>

int Startup::run(HINSTANCE instance, int showCommand) noexcept
{
    int status = FatalError::ExitStatus;
    guarded(nullptr, [&] {
        StandardHandles::holdClosed();
        // Help, version, the recent colours and mistakes are answered before any window opens.
        const CommandLine::Result options = StartOptions::read();
        if (options.exitStatus) {
            status = StartOptions::answer(options);
            return;
        }
        if (options.recent) {
            RecentStore store(std::make_unique<WindowsStateFolder>(), StartOptions::warn);
            status = StartOptions::printRecent(store.colours().text());
            return;
        }

        // Loads the common controls of version 6, which the manifest asks for; the tab
        // classes bring the tooltip's.
        INITCOMMONCONTROLSEX controls { sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES };
        InitCommonControlsEx(&controls);

        // The window's accessible annotations are COM objects.
        const ComApartment apartment;
        KleurtjesWindow window(instance);
        window.load(options.startColour);
        window.show(showCommand);
        // Together, --pick and --print are an eyedropper: the first pick ends the program.
        const bool eyedropper = options.pick && options.print;
        if (options.pick)
            window.startPick(eyedropper);
        status = messageLoop(window);
        if (!options.print || status != 0)
            return;
        // A window closed before the pick took nothing either.
        const std::optional<ScreenPicker::Outcome> &pick = window.lastPick();
        if (eyedropper && !(pick && pick->colour)) {
            if (pick && !pick->refusal.empty())
                StartOptions::complain(pick->refusal);
            status = StartOptions::NothingPickedStatus;
            return;
        }
        status = StartOptions::print(window.colour());
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
