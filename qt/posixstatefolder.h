#pragma once

#include "core/statefolder.h"

#include <memory>

// The state folder on Linux and other POSIX systems.
class PosixStateFolder : public StateFolder
{
public:
    explicit PosixStateFolder(std::string path);

    // $XDG_STATE_HOME/tintenwijzer, or ~/.local/state/tintenwijzer where that variable is
    // unset or not absolute; empty without a home folder. Either may be null.
    static std::string userPath(const char *stateHome, const char *home);
    // The folder at userPath() for this process's environment and user.
    static std::unique_ptr<PosixStateFolder> forUser();

    std::string pathOf(const std::string &name) const override;
    std::optional<std::string> read(const std::string &name, std::size_t limit) const override;
    void make() override;
    std::string writeTemporary(const std::string &name, std::string_view bytes) override;
    void replace(const std::string &temporary, const std::string &name) override;
    void remove(const std::string &temporary) noexcept override;
    void removeLeftovers(const std::string &name) noexcept override;
    std::unique_ptr<Lock> lock() override;

private:
    // The file that a write of name replaces: name's own path, or where a link there points.
    std::string destination(const std::string &name) const;

    std::string m_path;
};
