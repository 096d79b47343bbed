#pragma once

#include <filesystem>
#include <string>

namespace qorsim {

// Where the library looks for COMn aliases: $XDG_RUNTIME_DIR/qorcomm, or
// /tmp/qorcomm-<uid> when XDG_RUNTIME_DIR is unset or empty.
std::filesystem::path aliasDirectory();

// A symbolic link named after a port that leads to the simulator's terminal,
// so the library opens "COMn" and reaches the simulator.
class PortAlias {
public:
    // Creates the directory (mode 0700) when missing. Replaces a dangling
    // link of that name; refuses a link to a terminal that still exists, as
    // another simulator may be serving the port, and anything that is not a
    // link. Throws std::runtime_error with a message for the user.
    PortAlias(const std::string& portName, const std::string& terminalPath);
    // Removes the link unless someone has pointed it elsewhere since.
    ~PortAlias();

    PortAlias(const PortAlias&) = delete;
    PortAlias& operator=(const PortAlias&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::string target_;
};

}  // namespace qorsim
