#include "platform/SingleInstanceLock.h"

#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qx44 {
namespace {

using test::TempDir;

constexpr uid_t kNobody = 65534;
constexpr int kCannotBecomeNobody = 99;

// A child process that runs `body` as a user who may not write the lock file: root may write
// any file, so as root the child becomes nobody first.
class OtherUser {
public:
    template <typename Body> explicit OtherUser(Body body) : pid_(::fork()) {
        if (pid_ == 0) {
            if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
                ::_exit(kCannotBecomeNobody);
            }
            ::_exit(body());
        }
    }
    OtherUser(const OtherUser&) = delete;
    OtherUser& operator=(const OtherUser&) = delete;
    ~OtherUser() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }

    // The child's exit status, -1 when it did not exit.
    int Wait() {
        int status = 0;
        const bool ended = pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_;
        pid_ = -1;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_;
};

// Another user's copy finds a lock file it may only read (with fs.protected_regular even a file
// open to all cannot be opened with create in /tmp); it must still take part in the lock.
class SingleInstanceLockTest : public testing::Test {
protected:
    SingleInstanceLockTest() {
        std::filesystem::permissions(dir.Path(), std::filesystem::perms(01777));
    }
    // Taking the lock leaves the file writable for all; this makes it another user's file.
    void DenyWriting() const { ::chmod(path.c_str(), 0444); }

    TempDir dir;
    std::string path = dir.File("QX44SIM.lock");
};

TEST_F(SingleInstanceLockTest, ACopyOfAnotherUserEndsWhileTheFirstRuns) {
    SingleInstanceLock first;
    ASSERT_TRUE(first.TryAcquire(path));
    DenyWriting();
    OtherUser second([&] { return SingleInstanceLock().TryAcquire(path) ? 0 : 1; });
    EXPECT_EQ(second.Wait(), 1) << "0: the second copy starts although the first holds the lock";
}

TEST_F(SingleInstanceLockTest, AFileThatCanOnlyBeReadIsLockedAllTheSame) {
    int locked[2];
    int release[2];
    ASSERT_EQ(::pipe(locked), 0);
    ASSERT_EQ(::pipe(release), 0);
    ASSERT_TRUE(SingleInstanceLock().TryAcquire(path));
    DenyWriting();
    OtherUser first([&] {
        ::close(release[1]);
        SingleInstanceLock lock;
        const char acquired = lock.TryAcquire(path) ? '1' : '0';
        char ignored = 0;
        // Holds the lock until the test closes its end of the pipe.
        return ::write(locked[1], &acquired, 1) == 1 && ::read(release[0], &ignored, 1) == 0 ? 0
                                                                                             : 1;
    });
    ::close(locked[1]);
    ::close(release[0]);
    char acquired = 0;
    ASSERT_EQ(::read(locked[0], &acquired, 1), 1);
    ::close(locked[0]);
    EXPECT_EQ(acquired, '1');
    EXPECT_FALSE(SingleInstanceLock().TryAcquire(path)) << "the other user's copy holds no lock";
    ::close(release[1]);
    EXPECT_EQ(first.Wait(), 0);
}

} // namespace
} // namespace qx44
