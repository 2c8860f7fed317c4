#include "win32/customcolours.h"

#include "core/colourvalue.h"

#include <algorithm>
#include <utility>
#include <vector>

CustomColours::CustomColours(std::unique_ptr<StateFolder> folder, Warning warning)
    : m_folder(std::move(folder))
    , m_file(*m_folder, FileName, "de eigen kleuren", std::move(warning))
{ }

CustomColours::~CustomColours()
{
    try {
        finish();
    } catch (...) {
        // Only memory can run out here.
    }
}

COLORREF *CustomColours::colours()
{
    // Read again each time: another copy may have changed them meanwhile. What cannot be read
    // is left as it is, and is not written over later either.
    if (const std::optional<std::vector<ColourValue>> disk = m_file.read()) {
        m_colours = merged(*disk);
        m_kept = padded(*disk);
    }
    return m_colours.data();
}

void CustomColours::keep()
{
    if (m_colours != m_kept)
        update();
}

void CustomColours::finish()
{
    if (m_colours == m_kept
        || ColourFile::lastWrite([this] { return update(); }) != ColourFile::Update::Busy)
        return;
    std::vector<ColourValue> unwritten;
    for (std::size_t i = 0; i < Count; ++i) {
        if (m_colours[i] != m_kept[i])
            unwritten.push_back(ColourValue(m_colours[i]));
    }
    m_file.lost(unwritten);
    m_waiting = false;
}

ColourFile::Update CustomColours::update()
{
    Colours colours {};
    // A COLORREF of an RGB() colour is its colour number.
    const ColourFile::Update outcome
        = m_file.update([this, &colours](std::vector<ColourValue> disk) {
              colours = merged(disk);
              return std::vector<ColourValue>(colours.begin(), colours.end());
          });
    m_waiting = outcome == ColourFile::Update::Busy;
    if (outcome == ColourFile::Update::Written) {
        m_colours = colours;
        m_kept = colours;
    }
    return outcome;
}

CustomColours::Colours CustomColours::merged(const std::vector<ColourValue> &disk) const
{
    Colours colours = padded(disk);
    for (std::size_t i = 0; i < Count; ++i) {
        if (m_colours[i] != m_kept[i])
            colours[i] = m_colours[i];
    }
    return colours;
}

CustomColours::Colours CustomColours::padded(const std::vector<ColourValue> &disk)
{
    Colours colours = white();
    std::copy_n(disk.begin(), std::min(disk.size(), Count), colours.begin());
    return colours;
}
