#pragma once

#include <sys/types.h>

#include <string>

namespace qorsim {

// The --then program, which lives no longer than the simulator: however the
// simulator leaves (a signal, an error, its own end), a program still
// running is sent SIGTERM and waited for, so no window goes on using a port
// nobody serves any more; and should the simulator be killed or crash, the
// system sends the program SIGTERM.
//
// The program runs in a process group of its own, so a signal the terminal
// sends its foreground group (Ctrl+C) reaches the simulator alone, and the
// program gets one request to end, not that signal and the simulator's
// SIGTERM as well.
class ThenProgram {
public:
    // Starts `program` (looked up in PATH when it has no slash) with no
    // arguments, in this process's environment, with the signal mask and
    // the SIGPIPE disposition a program expects rather than the
    // simulator's. Throws std::runtime_error when it cannot be started.
    explicit ThenProgram(const std::string& program);
    // Ends it as above, its process group with it; SIGKILL if it has not
    // ended 3 s after SIGTERM.
    ~ThenProgram();
    ThenProgram(const ThenProgram&) = delete;
    ThenProgram& operator=(const ThenProgram&) = delete;

    // Whether it has ended; reaps it when it has.
    bool HasEnded();

private:
    void Signal(int signal);

    pid_t pid_ = -1;
    bool ended_ = false;
};

}  // namespace qorsim
