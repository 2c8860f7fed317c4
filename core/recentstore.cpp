#include "core/recentstore.h"

#include "core/statefolder.h"

#include <utility>

RecentStore::RecentStore(std::unique_ptr<StateFolder> folder, Warning warning)
    : m_folder(std::move(folder))
    , m_file(*m_folder, FileName, "de recente kleuren", std::move(warning))
{ }

RecentStore::~RecentStore() = default;

RecentColours RecentStore::colours()
{
    if (const std::optional<std::vector<ColourValue>> disk = m_file.read())
        m_known = RecentColours(*disk);
    return RecentColours::merged(m_unwritten, m_known);
}

void RecentStore::take(ColourValue value)
{
    m_unwritten.take(value);
    try {
        // Between reading and replacing the file, another copy's write would be lost.
        const std::unique_ptr<StateFolder::Lock> lock = m_folder->lock();
        // What could not be read is not overwritten: a file the system failed to read once
        // may well be whole.
        const std::optional<std::vector<ColourValue>> disk = m_file.read();
        if (!disk)
            return;
        m_known = RecentColours(*disk);
        const RecentColours list = RecentColours::merged(m_unwritten, m_known);
        if (!m_file.write(list.colours()))
            return;
        m_unwritten.clear();
        m_known = list;
    } catch (const StateFolder::Failure &failure) {
        m_file.failed("bewaren in", failure);
    }
}

void RecentStore::clear()
{
    m_unwritten.clear();
    m_known.clear();
    // Unreadable or not, a file that is there is emptied.
    if (!m_file.exists())
        return;
    try {
        const std::unique_ptr<StateFolder::Lock> lock = m_folder->lock();
        m_file.write({}, "wissen in");
    } catch (const StateFolder::Failure &failure) {
        m_file.failed("wissen in", failure);
    }
}
