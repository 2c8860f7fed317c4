#pragma once

#include "core/colourfile.h"
#include "core/statefolder.h"

#include <windows.h>

#include <array>
#include <memory>

// The colour dialog's sixteen custom colours, kept from one run to the next in the state
// folder's file "custom": one colour number a line, in the dialog's order.
class CustomColours
{
public:
    using Warning = ColourFile::Warning;

    static constexpr const char *FileName = "custom";
    static constexpr std::size_t Count = 16;

    CustomColours(std::unique_ptr<StateFolder> folder, Warning warning);

    // The colours for the dialog to show and change in place, read from the file the first
    // time; where it holds fewer, the rest are white.
    COLORREF *colours();
    // Writes the colours where the dialog changed them since they were read or last written.
    void keep();

private:
    void load();

    std::unique_ptr<StateFolder> m_folder;
    ColourFile m_file;
    bool m_loaded = false;
    std::array<COLORREF, Count> m_colours = [] {
        std::array<COLORREF, Count> colours {};
        colours.fill(RGB(255, 255, 255));
        return colours;
    }();
    // As on disk, or as it would be, had the file been whole.
    std::array<COLORREF, Count> m_kept = m_colours;
};
