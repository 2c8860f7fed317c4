#pragma once

#include "core/colournotation.h"
#include "core/recentcolours.h"

// The number of every control and command of frmKleurtjes: buttons, menu entries and
// accelerators share one WM_COMMAND, so they share one list. None may be IDOK (1) or
// IDCANCEL (2): IsDialogMessageW sends those for Return and Escape.
enum CommandId : int {
    CmdOK = 101,
    CmdKleur,
    PicKleur,
    LblNummer,

    // One copy command per notation, in the order of AllNotations.
    Kopieren = 201,
    KopierenHtml,
    KopierenRgb,
    KopierenVbHex,
    Plakken,

    SchermKleur = 301,

    // One per colour of "Recente kleuren", newest first, then the end of the list.
    RecenteKleur = 401,
    LijstWissen = 451,
};

static_assert(Plakken - Kopieren == AllNotations.size());
static_assert(RecenteKleur + RecentColours::Capacity <= LijstWissen);
