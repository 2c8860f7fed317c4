#include "win32/startup.h"

#include "core/colournotation.h"
#include "core/recentstore.h"
#include "win32/clipboard.h"
#include "win32/comapartment.h"
#include "win32/fatalerror.h"
#include "win32/handlerguard.h"
#include "win32/kleurtjeswindow.h"
#include "win32/standardhandles.h"
#include "win32/startoptions.h"
#include "win32/uniquehandle.h"
#include "win32/widetext.h"
#include "win32/windowsstatefolder.h"

#include <commctrl.h>

#include <memory>

namespace {

constexpr const char *CopyFailed = "kan het kleurnummer niet op het klembord zetten";

} // namespace

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
        if (options.copy) {
            status = pickAndCopy(instance, options.print);
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

// --pick --copy: the picker alone, and the number on the clipboard as Ctrl+C puts it there.
int Startup::pickAndCopy(HINSTANCE instance, bool print)
{
    const ScreenPicker::Outcome pick = ScreenPicker::run(instance, nullptr);
    if (!pick.colour) {
        if (!pick.refusal.empty())
            StartOptions::complain(pick.refusal);
        return StartOptions::NothingPickedStatus;
    }
    int status = 0;
    if (print) {
        status = StartOptions::print(*pick.colour);
        StandardHandles::closeOutput();
    }
    // The clipboard keeps the number when its owner, a window of no use but this, has gone.
    const WindowHandle owner(CreateWindowExW(
        0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
    if (!Clipboard::setText(owner.get(), widened(formatColour(*pick.colour, Notation::Number)))) {
        StartOptions::complain(CopyFailed);
        status = StartOptions::NothingPickedStatus;
    }
    // Last: where another copy holds the list, its end waits for it a moment.
    RecentStore(std::make_unique<WindowsStateFolder>(), StartOptions::warn).take(*pick.colour);
    return status;
}
