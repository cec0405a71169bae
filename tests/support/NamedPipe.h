#pragma once

#include <QFile>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// A named pipe where the editor expects a file. Opening one blocks until its
// other end is opened too, so code that opens it would hang the test: every
// few seconds the pipe's other end is opened and closed again from a thread of
// its own, which lets such an opening through. The test then fails on its
// checks instead of hanging until the test runner gives up.
class NamedPipe {
public:
    explicit NamedPipe(const QString& path, std::chrono::milliseconds releaseEvery = std::chrono::seconds(3))
        : path_(QFile::encodeName(path))
    {
#ifdef Q_OS_UNIX
        // A writer let through writes into a pipe nobody reads.
        std::signal(SIGPIPE, SIG_IGN);
        made_ = ::mkfifo(path_.constData(), 0600) == 0;
        if (made_)
            releaser_ = std::thread([this, releaseEvery] { releaseWhileWaiting(releaseEvery); });
#else
        Q_UNUSED(releaseEvery);
#endif
    }

    ~NamedPipe()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        if (releaser_.joinable())
            releaser_.join();
    }

    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    // False where the system has no named pipes (the test then skips).
    bool made() const { return made_; }

private:
    void releaseWhileWaiting(std::chrono::milliseconds every)
    {
#ifdef Q_OS_UNIX
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, every, [this] { return done_; })) {
            // Both ends at once: this never blocks, and it lets a waiting
            // reader or writer through; closing it gives the reader its end.
            const int fd = ::open(path_.constData(), O_RDWR | O_NONBLOCK);
            if (fd < 0)
                continue;
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ::close(fd);
            lock.lock();
        }
#else
        Q_UNUSED(every);
#endif
    }

    QByteArray path_;
    bool made_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread releaser_;
};
