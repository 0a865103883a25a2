// Starting, waiting for and stopping other programs through posix_spawn.
#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

pid_t Spawn(const std::vector<std::string>& argv, const std::string& outputFile) {
    if (argv.empty())
        return -1;
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const char* output = outputFile.empty() ? "/dev/null" : outputFile.c_str();
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, arguments[0], &actions, nullptr, arguments.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

int RunProgram(const std::vector<std::string>& argv, const std::string& outputFile) {
    pid_t pid = Spawn(argv, outputFile);
    if (pid <= 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outputFile)
    : m_pid(Spawn(argv, outputFile)) {}

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::IsRunning() {
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0)
        return true;
    m_pid = -1;
    return false;
}

void ChildProcess::Stop() {
    using namespace std::chrono_literals;
    if (!IsRunning())
        return;
    ::kill(m_pid, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (IsRunning() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    if (IsRunning()) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}
