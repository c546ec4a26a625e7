#include "MasterPool.h"

#include "catalog/ServerDeadline.h"

#include <algorithm>
#include <optional>

MasterPool::MasterPool(catalog::CatalogLocation location, int connections, int jobDeadline)
    : m_location(std::move(location)), m_jobDeadline(jobDeadline)
{
    for (int i = 0; i < std::max(1, connections); ++i)
        m_threads.emplace_back([this, i] { work(i); });
    // Fails at start, not at the first dealer, when the master cannot be reached.
    try {
        run([](MasterCatalog&) {});
    } catch (...) {
        stop();
        throw;
    }
}

MasterPool::~MasterPool()
{
    stop();
}

void MasterPool::execute(Job job)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping)
            throw catalog::DatabaseError(QStringLiteral("the server is stopping"));
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void MasterPool::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        if (thread.joinable())
            thread.join();
}

void MasterPool::work(int index)
{
    // Qt knows a connection by its name in the whole process, and a server may have more than one pool.
    const QString name = QStringLiteral("master-pool-%1-%2").arg(quintptr(this)).arg(index);
    std::unique_ptr<MasterCatalog> master;
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        std::exception_ptr openFailure;
        if (!master) {
            try {
                master = std::make_unique<MasterCatalog>(m_location, name);
            } catch (...) {
                openFailure = std::current_exception();
            }
        }
        bool keep = false;
        {
            std::optional<catalog::ServerDeadline> deadline;
            if (master)
                deadline.emplace(QSqlDatabase::database(name, false), m_jobDeadline);
            keep = job(master.get(), openFailure);
        }
        if (!keep)
            master.reset();
    }
    master.reset();
}
