#pragma once

#include <QByteArray>

#include <functional>
#include <future>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

// Feed answers kept in memory up to a number of bytes. A morning's dealers ask for a few feeds again and again (a
// dealer's last update is the stamp of the publication it last saw), and a feed since weeks ago costs the database
// much more than sending it. A key names the publication, so a publication makes new keys and the old answers are
// the least recently used that go first. Requests for a feed that another thread is making wait for that one.
class FeedCache
{
public:
    struct Feed
    {
        QByteArray body;
        int records = 0;
    };

    // Keeps at most `maxBytes` of feeds; a feed larger than a quarter of that is made each time. 0 keeps none.
    explicit FeedCache(qsizetype maxBytes);

    // The feed of `key`: kept, being made by another thread, or made now by `make`, whose exception is thrown to
    // every request that waited for it (and nothing is kept).
    Feed get(const std::string& key, const std::function<Feed()>& make);

    qsizetype bytes() const;

private:
    struct Entry
    {
        std::shared_future<Feed> feed;
        qsizetype size = -1; // -1 while it is being made
        std::list<std::string>::iterator use;
    };

    const qsizetype m_maxBytes;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_entries;
    std::list<std::string> m_uses; // the most recently used first
    qsizetype m_bytes = 0;
};
