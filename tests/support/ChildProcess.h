// Other programs that tests start: one run to its end, or a server stopped at the end.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Runs the program (argv[0] is its path) with its output going to outputFile (or
// nowhere when empty) and returns its exit status, -1 when it could not run or died.
int RunProgram(const std::vector<std::string>& argv, const std::string& outputFile = {});

// A program running beside the test, ended (SIGTERM, then SIGKILL after a grace period)
// when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& outputFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    // Whether it is still running (it is reaped when it has ended).
    bool IsRunning();
    void Stop();

private:
    pid_t m_pid{-1};
};
