// The server's memory of feed answers: one making for many askers, nothing kept of a failure, and a byte bound that
// lets the least recently used go.
#include "FeedCache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

FeedCache::Feed feedOf(qsizetype bytes)
{
    return {QByteArray(bytes, 'x'), 1};
}

TEST(FeedCache, MakesEachFeedOnceKeepsNoFailureAndStaysWithinItsBound)
{
    FeedCache cache(100 << 10);
    std::atomic<int> made{0};
    std::atomic<bool> release{false};
    std::vector<std::thread> askers;
    for (int i = 0; i < 8; ++i)
        askers.emplace_back([&] {
            EXPECT_EQ(cache
                          .get("a",
                               [&] {
                                   ++made;
                                   while (!release)
                                       std::this_thread::yield();
                                   return feedOf(20 << 10);
                               })
                          .body.size(),
                      20 << 10);
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    release = true;
    for (std::thread& asker : askers)
        asker.join();
    EXPECT_EQ(made, 1);

    EXPECT_THROW(cache.get("b", []() -> FeedCache::Feed { throw std::runtime_error("database gone"); }),
                 std::runtime_error);
    EXPECT_EQ(cache.get("b", [] { return feedOf(10); }).body.size(), 10);

    // "a" used again, so "b" and "c" go when "f" comes; a feed over a quarter of the bound is never kept.
    cache.get("c", [] { return feedOf(20 << 10); });
    cache.get("d", [] { return feedOf(20 << 10); });
    cache.get("a", [] { return feedOf(0); });
    cache.get("e", [] { return feedOf(24 << 10); });
    cache.get("f", [] { return feedOf(24 << 10); });
    EXPECT_LE(cache.bytes(), 100 << 10);
    made = 0;
    for (const char* key : {"a", "d", "e", "f", "b", "big", "big"})
        cache.get(key, [&] {
            ++made;
            return feedOf(key[1] == 'i' ? 30 << 10 : 10);
        });
    EXPECT_EQ(made, 3); // "b" again and "big" twice
}

} // namespace
