#include "win32/customcolours.h"

#include "core/colourvalue.h"
#include "core/recentcolours.h"

#include <algorithm>
#include <utility>
#include <vector>

CustomColours::CustomColours(std::unique_ptr<StateFolder> folder, Warning warning)
    : m_folder(std::move(folder))
    , m_warning(std::move(warning))
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
    try {
        m_folder->replaceFile(FileName, RecentColours::linesText(numbers));
    } catch (const StateFolder::Failure &failure) {
        return warn("kan de eigen kleuren niet bewaren in " + m_folder->pathOf(FileName) + ": "
            + failure.what());
    }
    m_kept = m_colours;
    m_lastWarning.clear();
}

void CustomColours::load()
{
    RecentColours::Lines lines;
    try {
        if (const std::optional<std::string> bytes = m_folder->readFile(FileName))
            lines = RecentColours::readLines(*bytes);
    } catch (const StateFolder::Failure &failure) {
        return warn("kan de eigen kleuren niet lezen uit " + m_folder->pathOf(FileName) + ": "
            + failure.what());
    }
    if (lines.skipped > 0)
        warn(std::to_string(lines.skipped) + (lines.skipped == 1 ? " regel" : " regels") + " in "
            + m_folder->pathOf(FileName) + " overgeslagen: geen kleurnummer");
    const std::size_t count = std::min(lines.colours.size(), Count);
    std::copy_n(lines.colours.begin(), count, m_colours.begin());
    m_kept = m_colours;
}

void CustomColours::warn(std::string line)
{
    line.insert(0, "tintenwijzer: ");
    if (line == m_lastWarning)
        return;
    m_lastWarning = line;
    if (m_warning)
        m_warning(line);
}
