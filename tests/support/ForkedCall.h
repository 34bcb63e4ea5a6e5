#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <grp.h>
#include <optional>
#include <poll.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace qx44::test {

// The user nobody's ids, for a test that needs permission bits to count while it runs as root.
inline std::optional<std::pair<uid_t, gid_t>> Nobody() {
    const passwd* user = ::getpwnam("nobody");
    if (user == nullptr) {
        return std::nullopt;
    }
    return std::pair{user->pw_uid, user->pw_gid};
}

// Runs body in a forked child, as the user nobody when asked and the test is root, and returns
// the text it gave; nullopt when it crashed or did not end before the deadline (it is then
// killed), so a call that hangs or grows without end fails the test instead of stopping it.
inline std::optional<std::string>
ForkedCall(const std::function<std::string()>& body, bool asNobody = false,
           std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
    int ends[2];
    if (::pipe(ends) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        const auto nobody = Nobody();
        if (asNobody && ::geteuid() == 0 &&
            (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->second) != 0 ||
             ::setuid(nobody->first) != 0)) {
            ::_exit(3);
        }
        const std::string text = body();
        const bool written = ::write(ends[1], text.data(), text.size()) == ssize_t(text.size());
        ::_exit(written ? 0 : 2);
    }
    ::close(ends[1]);
    std::string text;
    const auto until = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        pollfd pfd{ends[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&pfd, 1, int(left.count())) <= 0) {
            ::kill(child, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t got = ::read(ends[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        text.append(buffer, std::size_t(got));
    }
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

} // namespace qx44::test
