#include "core/recentstore.h"

#include "core/statefolder.h"

#include <utility>

RecentStore::RecentStore(std::unique_ptr<StateFolder> folder, Warning warning)
    : m_folder(std::move(folder))
    , m_file(*m_folder, FileName, "de recente kleuren", std::move(warning))
{ }

RecentStore::~RecentStore()
{
    try {
        finish();
    } catch (...) {
        // Only memory can run out here; the colours were said to be unwritten where it mattered.
    }
}

RecentColours RecentStore::colours()
{
    if (!m_clearing) {
        if (const std::optional<std::vector<ColourValue>> disk = m_file.read())
            m_known = RecentColours(*disk);
    }
    return RecentColours::merged(m_unwritten, m_known);
}

void RecentStore::take(ColourValue value)
{
    m_unwritten.take(value);
    write();
}

void RecentStore::clear()
{
    m_unwritten.clear();
    m_known.clear();
    // Unreadable or not, a file that is there is emptied.
    m_clearing = m_file.exists();
    m_waiting = false;
    if (m_clearing)
        write();
}

ColourFile::Update RecentStore::update()
{
    if (m_unwritten.empty() && !m_clearing)
        return ColourFile::Update::Written;
    RecentColours list;
    const auto merge = [this, &list](std::vector<ColourValue> disk) {
        if (!m_clearing)
            m_known = RecentColours(disk);
        list = RecentColours::merged(m_unwritten, m_known);
        return list.colours();
    };
    const ColourFile::Update outcome = m_file.update(merge, !m_clearing, doing());
    m_waiting = outcome == ColourFile::Update::Busy;
    if (outcome == ColourFile::Update::Written) {
        m_unwritten.clear();
        m_known = list;
        m_clearing = false;
    }
    return outcome;
}

const char *RecentStore::doing() const
{
    return m_clearing ? "wissen in" : "bewaren in";
}

void RecentStore::finish()
{
    if (ColourFile::lastWrite([this] { return update(); }) == ColourFile::Update::Busy)
        m_file.lost(m_unwritten.colours(), doing());
    m_waiting = false;
}
