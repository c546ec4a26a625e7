#pragma once

#include <QString>

#include <chrono>

namespace platform {

// An exclusive lock on a file between processes. It ends with this object or with the process, however that ends,
// so the lock of a killed process never blocks anyone. Programs started by the holder do not inherit it.
class FileLock
{
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Locks the existing file, waiting at most `wait` for another holder; false when it is still held or the file
    // cannot be opened.
    bool lock(const QString& path, std::chrono::milliseconds wait);
    void unlock();
    bool locked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform
