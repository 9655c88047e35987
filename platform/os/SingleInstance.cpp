#include "platform/os/SingleInstance.h"

#include "engine/core/Exception.h"
#include "platform/os/Folders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string SystemError()
{
    return std::strerror(errno);
}

} // namespace

SingleInstance::~SingleInstance()
{
    Release();
}

std::string SingleInstance::GetDefaultFolder()
{
    std::string folder = GetRuntimeFolder();
    return folder.empty() ? GetConfigHomeFolder() : folder;
}

SingleInstance::AcquireResult SingleInstance::Acquire(const std::string& folder, const std::string& applicationName)
{
    Release();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    m_LockPath = folder + "/" + applicationName + " system-wide mutex";
    m_NotifyPath = folder + "/" + applicationName + " was relaunched";

    int fd = open(m_LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    VELK_ASSERT_MSG(fd >= 0, (boost::format("Could not open the lock file:\nfile = %1%\nerror = %2%") % m_LockPath %
                              SystemError())
                                 .str());
    int result;
    while ((result = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        int error = errno;
        close(fd);
        if (error == EWOULDBLOCK)
            return AcquireResult::AlreadyRunning;
        VELK_THROW(Exception, (boost::format("Could not lock the lock file:\nfile = %1%\nerror = %2%") % m_LockPath %
                               std::strerror(error))
                                  .str());
    }
    m_LockFd = fd;
    OpenNotifyChannel();
    return AcquireResult::Owned;
}

void SingleInstance::OpenNotifyChannel()
{
    // Only the lock holder gets here, so replacing what lies at the path races
    // with no other owner.
    struct stat info{};
    if (lstat(m_NotifyPath.c_str(), &info) == 0 && !S_ISFIFO(info.st_mode))
        unlink(m_NotifyPath.c_str());
    if (mkfifo(m_NotifyPath.c_str(), 0600) != 0 && errno != EEXIST)
        VELK_THROW(Exception, (boost::format("Could not create the relaunch channel:\nfile = %1%\nerror = %2%") %
                               m_NotifyPath % SystemError())
                                  .str());
    m_NotifyReadFd = open(m_NotifyPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_NotifyReadFd < 0)
        VELK_THROW(Exception, (boost::format("Could not open the relaunch channel:\nfile = %1%\nerror = %2%") %
                               m_NotifyPath % SystemError())
                                  .str());
    m_NotifyKeepFd = open(m_NotifyPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
}

bool SingleInstance::NotifyOwner() const
{
    if (m_NotifyPath.empty())
        return false;
    // Without a reader this open fails (ENXIO) instead of waiting for one.
    int fd = open(m_NotifyPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const char signal = 1;
    ssize_t written;
    while ((written = write(fd, &signal, 1)) < 0 && errno == EINTR) {
    }
    // A full FIFO already holds unread notifications: the owner will hear of it.
    bool delivered = written == 1 || errno == EAGAIN;
    close(fd);
    return delivered;
}

bool SingleInstance::PollRelaunched()
{
    if (m_NotifyReadFd < 0)
        return false;
    bool relaunched = false;
    char buffer[256];
    for (;;) {
        ssize_t got = read(m_NotifyReadFd, buffer, sizeof(buffer));
        if (got > 0)
            relaunched = true;
        else if (got < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return relaunched;
}

void SingleInstance::Release()
{
    for (int* fd : {&m_NotifyKeepFd, &m_NotifyReadFd, &m_LockFd}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}
