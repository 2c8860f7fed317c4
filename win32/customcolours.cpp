#include "win32/customcolours.h"

#include "core/colourvalue.h"

#include <algorithm>
#include <utility>
#include <vector>

CustomColours::CustomColours(std::unique_ptr<StateFolder> folder, Warning warning)
    : m_folder(std::move(folder))
    , m_file(*m_folder, FileName, "de eigen kleuren", std::move(warning))
{ }

COLORREF *CustomColours::colours()
{
    if (!std::exchange(m_loaded, true))
        load();
    return m_colours.data();
}

void CustomColours::keep()
{
    if (m_colours == m_kept)
        return;
    // A COLORREF of an RGB() colour is its colour number.
    const std::vector<ColourValue> numbers(m_colours.begin(), m_colours.end());
    if (m_file.write(numbers))
        m_kept = m_colours;
}

void CustomColours::load()
{
    const std::optional<std::vector<ColourValue>> colours = m_file.read();
    if (!colours)
        return;
    std::copy_n(colours->begin(), std::min(colours->size(), Count), m_colours.begin());
    m_kept = m_colours;
}
