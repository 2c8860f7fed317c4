#include "core/recentstore.h"

#include "core/statefolder.h"

#include <cstdio>
#include <utility>

RecentStore::RecentStore(std::unique_ptr<StateFolder> folder, Warning warning)
    : m_folder(std::move(folder))
    , m_warning(std::move(warning))
{ }

RecentStore::~RecentStore() = default;

RecentColours RecentStore::colours()
{
    if (std::optional<RecentColours> disk = readDisk())
        m_known = std::move(*disk);
    return RecentColours::merged(m_unwritten, m_known);
}

void RecentStore::take(ColourValue value)
{
    m_unwritten.take(value);
    // What could not be read is not overwritten: a file the system failed to read once may
    // well be whole.
    const std::optional<RecentColours> disk = readDisk();
    if (!disk)
        return;
    const RecentColours list = RecentColours::merged(m_unwritten, *disk);
    try {
        m_folder->replaceFile(FileName, list.text());
    } catch (const StateFolder::Failure &failure) {
        m_known = *disk;
        return warn("kan de recente kleuren niet bewaren in " + m_folder->pathOf(FileName) + ": "
            + failure.what());
    }
    m_unwritten.clear();
    m_known = list;
}

void RecentStore::clear()
{
    m_unwritten.clear();
    m_known.clear();
    // Unreadable or not, a file that is there is emptied.
    bool present = true;
    try {
        present = m_folder->readFile(FileName).has_value();
    } catch (const StateFolder::Failure &) { }
    if (!present)
        return;
    try {
        m_folder->replaceFile(FileName, {});
    } catch (const StateFolder::Failure &failure) {
        warn("kan de recente kleuren niet wissen in " + m_folder->pathOf(FileName) + ": "
            + failure.what());
    }
}

std::optional<RecentColours> RecentStore::readDisk()
{
    RecentColours::Lines lines;
    try {
        if (const std::optional<std::string> bytes = m_folder->readFile(FileName))
            lines = RecentColours::readLines(*bytes);
    } catch (const StateFolder::Failure &failure) {
        warn("kan de recente kleuren niet lezen uit " + m_folder->pathOf(FileName) + ": "
            + failure.what());
        return std::nullopt;
    }
    if (lines.skipped == 0)
        m_lastWarning.clear();
    else
        warn(std::to_string(lines.skipped) + (lines.skipped == 1 ? " regel" : " regels") + " in "
            + m_folder->pathOf(FileName) + " overgeslagen: geen kleurnummer");
    return RecentColours(lines.colours);
}

void RecentStore::warn(std::string line)
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
