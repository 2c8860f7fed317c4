#pragma once

#include "core/colourfile.h"
#include "core/statefolder.h"

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

// The colour dialog's sixteen custom colours, kept from one run to the next in the state
// folder's file "custom": one colour number a line, in the dialog's order. Only the places this
// copy changed are written, over what the file holds then.
class CustomColours
{
public:
    using Warning = ColourFile::Warning;

    static constexpr const char *FileName = "custom";
    static constexpr std::size_t Count = 16;

    CustomColours(std::unique_ptr<StateFolder> folder, Warning warning);
    // Writes what is left to write, as finish() does.
    ~CustomColours();

    // The colours for the dialog to show and change in place, as the file holds them now but
    // where this copy changed them; where it holds fewer, the rest are white.
    COLORREF *colours();
    // Writes the places the dialog changed since they were read or last written. Where another
    // copy holds the folder, waiting() tells, and keep() is to be called again later.
    void keep();
    bool waiting() const { return m_waiting; }
    // Writes what is left to write, waiting up to ColourFile::EndWait for another copy.
    void finish();

private:
    using Colours = std::array<COLORREF, Count>;

    ColourFile::Update update();
    // The file's colours, with this copy's changes over them.
    Colours merged(const std::vector<ColourValue> &disk) const;
    // The file's colours, white where it holds fewer.
    static Colours padded(const std::vector<ColourValue> &disk);
    static Colours white()
    {
        Colours colours {};
        colours.fill(RGB(255, 255, 255));
        return colours;
    }

    std::unique_ptr<StateFolder> m_folder;
    ColourFile m_file;
    Colours m_colours = white();
    // As the file held them when last read or written; a place where m_colours differs is
    // this copy's change.
    Colours m_kept = m_colours;
    bool m_waiting = false;
};
