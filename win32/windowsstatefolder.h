#pragma once

#include "core/statefolder.h"

#include <string>

// The state folder on Windows: %LOCALAPPDATA%\Tintenwijzer, the user's own on this machine,
// where a roaming profile does not carry it elsewhere.
class WindowsStateFolder : public StateFolder
{
public:
    std::string pathOf(const std::string &name) const override;
    std::optional<std::string> read(const std::string &name, std::size_t limit) const override;
    void make() override;
    std::string writeTemporary(const std::string &name, std::string_view bytes) override;
    void replace(const std::string &temporary, const std::string &name) override;
    void remove(const std::string &temporary) noexcept override;
    void removeLeftovers(const std::string &name) noexcept override;
    std::unique_ptr<Lock> lock() override;

private:
    // The file that a write of name replaces: name's own, or where a link there points.
    static std::wstring destination(const std::string &name);
    // Asked of the system at each step, not at start-up: most runs never need it.
    static std::wstring folder();
    static std::wstring widePath(const std::string &name);
};
