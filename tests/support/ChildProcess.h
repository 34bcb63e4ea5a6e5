#pragma once

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace qx44::test {

// The real program, started as a user would start it; killed if a test leaves it running. Its
// stdout and stderr go to `outputFile` when one is named.
class ChildProcess {
public:
    // `workingDirectory`, when given, is where the program runs (and writes its tmp.bmp).
    ChildProcess(const std::string& path, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& extraEnvironment,
                 const std::string& workingDirectory = {}, const std::string& outputFile = {}) {
        std::vector<std::string> args = {path};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> env(extraEnvironment);
        for (char** e = environ; *e != nullptr; ++e) {
            env.emplace_back(*e);
        }
        std::vector<char*> envp;
        for (auto& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        if (!workingDirectory.empty()) {
            ::posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
        }
        if (!outputFile.empty()) {
            ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                               O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        }
        const int error =
            ::posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), envp.data());
        ::posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            throw std::runtime_error("cannot start " + path);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    void Signal(int signal) { ::kill(pid_, signal); }
    pid_t Pid() const { return pid_; }

    // The resident memory of the running program, in KiB (VmRSS); 0 when it cannot be read.
    long ResidentKiB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) {
                return std::stol(line.substr(6));
            }
        }
        return 0;
    }

    // Whether the running program has a file mapped whose path contains `name`.
    bool HasMapped(const std::string& name) const {
        std::ifstream maps("/proc/" + std::to_string(pid_) + "/maps");
        for (std::string line; std::getline(maps, line);) {
            if (line.find(name) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    // The wait status once the process has ended, or nothing if it is still running at the
    // deadline.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return status;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    pid_t pid_ = -1;
};

} // namespace qx44::test
