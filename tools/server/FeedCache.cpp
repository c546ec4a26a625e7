#include "FeedCache.h"

FeedCache::FeedCache(qsizetype maxBytes) : m_maxBytes(maxBytes) {}

qsizetype FeedCache::bytes() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_bytes;
}

FeedCache::Feed FeedCache::get(const std::string& key, const std::function<Feed()>& make)
{
    if (m_maxBytes <= 0)
        return make();
    std::promise<Feed> promise;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (const auto found = m_entries.find(key); found != m_entries.end()) {
        m_uses.splice(m_uses.begin(), m_uses, found->second.use);
        const std::shared_future<Feed> feed = found->second.feed;
        lock.unlock();
        return feed.get();
    }
    m_uses.push_front(key);
    m_entries.emplace(key, Entry{promise.get_future().share(), -1, m_uses.begin()});
    lock.unlock();

    const auto forget = [this, &key] {
        const auto found = m_entries.find(key);
        m_uses.erase(found->second.use);
        m_entries.erase(found);
    };
    Feed feed;
    try {
        feed = make();
    } catch (...) {
        promise.set_exception(std::current_exception());
        lock.lock();
        forget();
        throw;
    }
    promise.set_value(feed);
    lock.lock();
    const qsizetype size = feed.body.size() + qsizetype(key.size()) + 128;
    if (size > m_maxBytes / 4) {
        forget();
        return feed;
    }
    m_entries.at(key).size = size;
    m_bytes += size;
    // The least recently used go first; those still being made are not counted yet and stay.
    for (auto use = m_uses.end(); m_bytes > m_maxBytes && use != m_uses.begin();) {
        --use;
        const auto entry = m_entries.find(*use);
        if (entry->second.size < 0 || *use == key)
            continue;
        m_bytes -= entry->second.size;
        m_entries.erase(entry);
        use = m_uses.erase(use);
    }
    return feed;
}
