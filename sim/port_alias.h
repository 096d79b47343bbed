#pragma once

#include "port_alias_posix.h"

#include <filesystem>
#include <string>

namespace qorsim {

// Where the library looks for COMn aliases (qorplatform::AliasFolder for
// this process's environment and user).
std::filesystem::path AliasDirectory();

// A symbolic link named after a port that leads to the simulator's terminal,
// so the library opens "COMn" and reaches the simulator. It counts for as
// long as this object lives: it holds the alias's lock (qorplatform::AliasLock), which
// the system lets go of even when the process is killed.
class PortAlias {
public:
    // Creates the directory (mode 0700) when missing, and refuses one that
    // the library would not trust. Takes the alias's lock, refusing the port
    // when another simulator holds it; then replaces a link of that name,
    // which no running simulator serves, and refuses anything that is not a
    // link. Throws std::runtime_error with a message for the user.
    PortAlias(const std::string& portName, const std::string& terminalPath);
    // Removes the link unless someone has pointed it elsewhere since, then
    // lets go of the lock.
    ~PortAlias();

    PortAlias(const PortAlias&) = delete;
    PortAlias& operator=(const PortAlias&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    // Declared first, so it is let go of last, after the link is gone.
    qorplatform::AliasLock lock_;
    std::filesystem::path path_;
    std::string target_;
};

}  // namespace qorsim
