#pragma once

#include "core/colourvalue.h"
#include "core/recentcolours.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class StateFolder;

// The recent colours as every running copy of the program shares them, in the file "recent"
// of the state folder. Each write merges what this copy took with what is on disk, so two
// copies running at once both keep their colours. What cannot be read or written is said in
// one warning and costs the file, never a colour of this run.
class RecentStore
{
public:
    // Gets a line for standard error, without its newline.
    using Warning = std::function<void(const std::string &line)>;

    static constexpr const char *FileName = "recent";

    // Without a Warning of its own, a warning goes to standard error.
    explicit RecentStore(std::unique_ptr<StateFolder> folder, Warning warning = {});
    ~RecentStore();

    // The list on disk now, under the colours of this run that could not be written.
    RecentColours colours();
    // Puts value at the front of the list and writes it.
    void take(ColourValue value);
    // Empties the list, on disk too. Where there is no file, nothing is made.
    void clear();

private:
    // The list on disk, empty where there is no file; nothing where it could not be read.
    std::optional<RecentColours> readDisk();
    void warn(std::string line);

    std::unique_ptr<StateFolder> m_folder;
    Warning m_warning;
    // Taken in this run and not written yet, because a write failed.
    RecentColours m_unwritten;
    // The list as last read or written.
    RecentColours m_known;
    // A warning is not repeated until something works again.
    std::string m_lastWarning;
};
