#pragma once

#include <string>

// Keeps a second copy of the application from running. The first instance holds
// an exclusive lock (flock) on the file "<name> system-wide mutex"; a later one
// finds it taken, tells the owner through the FIFO "<name> was relaunched" beside
// it, and gives up. The kernel drops the lock with its holder, so a crashed
// instance never blocks the next start.
class SingleInstance
{
public:
    enum class AcquireResult
    {
        Owned,
        AlreadyRunning,
    };

    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    // Gives up ownership.
    ~SingleInstance();

    // $XDG_RUNTIME_DIR, or the application-data folder when it is unset.
    static std::string GetDefaultFolder();

    // Takes the lock for the application name in the folder (created when
    // missing). Throws Exception when the lock file cannot be made or locked for
    // any reason other than another holder.
    AcquireResult Acquire(const std::string& folder, const std::string& applicationName);
    bool IsOwner() const { return m_LockFd >= 0; }

    // Tells the owner that the application was started again; false when no
    // owner listens.
    bool NotifyOwner() const;

    // The owner's side: true when at least one relaunch was signalled since the
    // last poll. Never blocks.
    bool PollRelaunched();

    const std::string& GetLockPath() const { return m_LockPath; }
    const std::string& GetNotifyPath() const { return m_NotifyPath; }

private:
    void Release();
    void OpenNotifyChannel();

    std::string m_LockPath;
    std::string m_NotifyPath;
    int m_LockFd = -1;
    int m_NotifyReadFd = -1;
    // Held by the owner too, so that the FIFO never reads as closed between
    // notifiers.
    int m_NotifyKeepFd = -1;
};
