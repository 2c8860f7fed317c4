#include "core/colourfile.h"

#include "core/colournumber.h"
#include "core/recentcolours.h"
#include "core/statefolder.h"

#include <cstdio>
#include <memory>
#include <thread>
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
        warn("overgeslagen",
            std::to_string(lines.skipped) + (lines.skipped == 1 ? " regel" : " regels") + " in "
                + m_folder.pathOf(m_name) + " overgeslagen: geen kleurnummer");
    return std::move(lines.colours);
}

bool ColourFile::exists() const
{
    try {
        return m_folder.read(m_name, 0).has_value();
    } catch (const StateFolder::Failure &) {
        return true;
    }
}

ColourFile::Update ColourFile::update(const Merge &merge, bool readsDisk, std::string_view doing)
{
    try {
        // Between reading and replacing the file, another copy's write would be lost; and
        // a copy that waits here freezes its window.
        const std::unique_ptr<StateFolder::Lock> lock = m_folder.lock();
        if (!lock)
            return Update::Busy;
        // Only under a lock that holds is it sure that no other copy is busy writing.
        if (lock->holds())
            m_folder.removeLeftovers(m_name);
        std::vector<ColourValue> disk;
        if (readsDisk) {
            // A file the system failed to read once may well be whole.
            std::optional<std::vector<ColourValue>> colours = read();
            if (!colours)
                return Update::Failed;
            disk = std::move(*colours);
        }
        m_folder.replaceFile(m_name, RecentColours::linesText(merge(std::move(disk))));
    } catch (const StateFolder::Failure &failure) {
        failed(doing, failure);
        return Update::Failed;
    }
    m_told.clear();
    return Update::Written;
}

ColourFile::Update ColourFile::lastWrite(const std::function<Update()> &write)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + EndWait;
    Update update = write();
    while (update == Update::Busy && Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        update = write();
    }
    return update;
}

void ColourFile::lost(std::span<const ColourValue> colours, std::string_view doing)
{
    std::string line = "kan " + m_what + " niet " + std::string(doing) + " "
        + m_folder.pathOf(m_name) + ": een andere Tintenwijzer houdt de map bezet";
    for (std::size_t i = 0; i < colours.size(); ++i)
        line += (i == 0 ? "; niet bewaard: " : ", ") + colourNumber(colours[i]);
    warn("bezet", std::move(line));
}

void ColourFile::failed(std::string_view doing, const std::exception &failure)
{
    warn(doing,
        "kan " + m_what + " niet " + std::string(doing) + " " + m_folder.pathOf(m_name) + ": "
            + failure.what());
}

void ColourFile::warn(std::string_view kind, std::string line)
{
    if (!m_told.emplace(kind).second)
        return;
    line.insert(0, "tintenwijzer: ");
    if (m_warning)
        m_warning(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}
