#pragma once

#include "MasterCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogLocation.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

// Connections to the master catalog for the server's request threads, without one lock around them all. A Qt SQL
// connection belongs to the thread that opened it, so the pool is a set of threads, each with its own connection
// (a MasterCatalog), that take jobs from one queue: a request thread hands its job over and waits for the result.
// A connection that failed is opened again for the next job, so a restarted database server costs one answer. A job
// that a master on a server fallen silent keeps waiting longer than the job deadline fails like a lost connection
// (catalog::ServerDeadline), rather than holding its thread for the quarter of an hour of the system's retries.
class MasterPool
{
public:
    static constexpr int DefaultJobDeadline = 60000;

    // Starts `connections` threads and opens the first connection; throws catalog::DatabaseError when the master
    // cannot be opened.
    MasterPool(catalog::CatalogLocation location, int connections, int jobDeadline = DefaultJobDeadline);
    ~MasterPool();
    MasterPool(const MasterPool&) = delete;
    MasterPool& operator=(const MasterPool&) = delete;

    // Runs `job(MasterCatalog&)` on a pool thread and returns its result or throws its exception (and the
    // catalog::DatabaseError of a connection that cannot be opened).
    template <typename Job> auto run(Job job) -> std::invoke_result_t<Job, MasterCatalog&>
    {
        using Result = std::invoke_result_t<Job, MasterCatalog&>;
        std::promise<Result> promise;
        std::future<Result> result = promise.get_future();
        // The caller waits below, so the job may live on its stack.
        execute([&](MasterCatalog* master, const std::exception_ptr& openFailure) {
            if (!master) {
                promise.set_exception(openFailure);
                return true;
            }
            try {
                if constexpr (std::is_void_v<Result>) {
                    job(*master);
                    promise.set_value();
                } else {
                    promise.set_value(job(*master));
                }
            } catch (const catalog::DatabaseError&) {
                promise.set_exception(std::current_exception());
                return false;
            } catch (...) {
                promise.set_exception(std::current_exception());
            }
            return true;
        });
        return result.get();
    }

    // Lets the queued jobs finish, closes every connection on its own thread and ends the threads. Jobs handed over
    // afterwards fail.
    void stop();

private:
    // Runs on a pool thread with its connection, or with none and the reason it cannot be opened; answers whether
    // the connection may be kept (false after a database failure, so that the next job opens it again).
    using Job = std::function<bool(MasterCatalog*, const std::exception_ptr&)>;
    void execute(Job job);
    void work(int index);

    catalog::CatalogLocation m_location;
    int m_jobDeadline;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};
