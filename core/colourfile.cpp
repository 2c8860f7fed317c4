#include "core/colourfile.h"

#include "core/recentcolours.h"
#include "core/statefolder.h"

#include <cstdio>
#include <utility>

ColourFile::ColourFile(StateFolder &folder, std::string name, std::string what, Warning warning)
    : m_folder(folder)
    , m_name(std::move(name))
    , m_what(std::move(what))
    , m_warning(std::move(warning))
{ }

std::optional<std::vector<ColourValue>> ColourFile::read()
{
    RecentColours::Lines lines;
    try {
        if (const std::optional<std::string> bytes = m_folder.readFile(m_name))
            lines = RecentColours::readLines(*bytes);
    } catch (const StateFolder::Failure &failure) {
        failed("lezen uit", failure);
        return std::nullopt;
    }
    if (lines.skipped > 0)
        warn(std::to_string(lines.skipped) + (lines.skipped == 1 ? " regel" : " regels") + " in "
            + m_folder.pathOf(m_name) + " overgeslagen: geen kleurnummer");
    return std::move(lines.colours);
}

bool ColourFile::exists() const
{
    try {
        return m_folder.readFile(m_name).has_value();
    } catch (const StateFolder::Failure &) {
        return true;
    }
}

bool ColourFile::write(std::span<const ColourValue> colours, std::string_view doing)
{
    try {
        m_folder.replaceFile(m_name, RecentColours::linesText(colours));
    } catch (const StateFolder::Failure &failure) {
        failed(doing, failure);
        return false;
    }
    m_lastWarning.clear();
    return true;
}

void ColourFile::failed(std::string_view doing, const std::exception &failure)
{
    warn("kan " + m_what + " niet " + std::string(doing) + " " + m_folder.pathOf(m_name) + ": "
        + failure.what());
}

void ColourFile::warn(std::string line)
{
    line.insert(0, "tintenwijzer: ");
    if (line == m_lastWarning)
        return;
    m_lastWarning = line;
    if (m_warning)
        m_warning(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}
