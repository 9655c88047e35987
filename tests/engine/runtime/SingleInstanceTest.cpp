#include "platform/os/SingleInstance.h"

#include "engine/core/Exception.h"
#include "tests/engine/runtime/OsTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Result = SingleInstance::AcquireResult;

// Runs the body in a child process and returns how the child ended.
template <typename Body>
int RunInChild(Body body)
{
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

class SingleInstanceTest : public ::testing::Test
{
protected:
    TempFolder temp;
};

TEST_F(SingleInstanceTest, SecondInstanceInTheSameProcessFindsTheFirst)
{
    SingleInstance first;
    ASSERT_EQ(first.Acquire(temp.Path(), "WoppleQuest"), Result::Owned);
    EXPECT_TRUE(first.IsOwner());
    EXPECT_EQ(first.GetLockPath(), temp / "WoppleQuest system-wide mutex");
    EXPECT_FALSE(first.PollRelaunched());

    SingleInstance second;
    EXPECT_EQ(second.Acquire(temp.Path(), "WoppleQuest"), Result::AlreadyRunning);
    EXPECT_FALSE(second.IsOwner());
    EXPECT_TRUE(second.NotifyOwner());
    EXPECT_TRUE(second.NotifyOwner());

    // Two relaunches before a poll are one notification; none after it.
    EXPECT_TRUE(first.PollRelaunched());
    EXPECT_FALSE(first.PollRelaunched());

    // Another application is not locked out.
    SingleInstance other;
    EXPECT_EQ(other.Acquire(temp.Path(), "OtherGame"), Result::Owned);
}

TEST_F(SingleInstanceTest, ASecondProcessNotifiesTheOwner)
{
    SingleInstance owner;
    ASSERT_EQ(owner.Acquire(temp.Path(), "WoppleQuest"), Result::Owned);

    int status = RunInChild([&] {
        SingleInstance relaunched;
        if (relaunched.Acquire(temp.Path(), "WoppleQuest") != Result::AlreadyRunning)
            return 2;
        return relaunched.NotifyOwner() ? 1 : 3;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(owner.PollRelaunched());
}

TEST_F(SingleInstanceTest, ALockLeftByACrashedOwnerIsFree)
{
    int status = RunInChild([&] {
        SingleInstance crashing;
        if (crashing.Acquire(temp.Path(), "WoppleQuest") != Result::Owned)
            return 2;
        raise(SIGKILL);
        return 0;
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(std::filesystem::exists(temp / "WoppleQuest system-wide mutex"));

    SingleInstance next;
    EXPECT_EQ(next.Acquire(temp.Path(), "WoppleQuest"), Result::Owned);
    // Nothing the dead owner's relaunchers wrote survives.
    EXPECT_FALSE(next.PollRelaunched());
}

TEST_F(SingleInstanceTest, AReleasedLockCanBeTakenAgain)
{
    {
        SingleInstance first;
        ASSERT_EQ(first.Acquire(temp.Path(), "WoppleQuest"), Result::Owned);
    }
    SingleInstance second;
    EXPECT_EQ(second.Acquire(temp.Path(), "WoppleQuest"), Result::Owned);
}

TEST_F(SingleInstanceTest, NotifyingAnOwnerThatHasGoneDoesNotWait)
{
    auto owner = std::make_unique<SingleInstance>();
    ASSERT_EQ(owner->Acquire(temp.Path(), "WoppleQuest"), Result::Owned);
    SingleInstance relaunched;
    ASSERT_EQ(relaunched.Acquire(temp.Path(), "WoppleQuest"), Result::AlreadyRunning);
    owner.reset();
    EXPECT_FALSE(relaunched.NotifyOwner());
}

TEST_F(SingleInstanceTest, LockFolderIsTheRuntimeFolderOrTheApplicationData)
{
    ScopedEnvironment config("XDG_CONFIG_HOME", temp / "config");
    {
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", temp / "run");
        EXPECT_EQ(SingleInstance::GetDefaultFolder(), temp / "run");
    }
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(SingleInstance::GetDefaultFolder(), temp / "config");

    // A missing folder is made.
    SingleInstance owner;
    EXPECT_EQ(owner.Acquire(SingleInstance::GetDefaultFolder(), "WoppleQuest"), Result::Owned);
}

TEST_F(SingleInstanceTest, AnUnusableLockFileIsReported)
{
    mkdir((temp / "WoppleQuest system-wide mutex").c_str(), 0700);
    SingleInstance instance;
    EXPECT_THROW(instance.Acquire(temp.Path(), "WoppleQuest"), Exception);
    EXPECT_FALSE(instance.IsOwner());
}

} // namespace
