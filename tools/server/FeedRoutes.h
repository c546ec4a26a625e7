#pragma once

#include <functional>
#include <string>

namespace httplib {
class Server;
}
class FeedCache;
class MasterPool;

// The request header with which a reverse proxy asks for a feed as a publication left it (Publication::text()):
// the proxy keys its cache by the stamp, and the answer for one key never mixes two publications.
inline constexpr const char* kPublicationHeader = "X-Velkorn-Publication";

// The catalog server's routes: the reachability probe "/", the feed "/common/item.php?t=&ut=" and "/publication"
// (the current stamp, in kPublicationHeader and as the body). Feed answers carry an ETag from the stamp and the
// request and "Cache-Control: no-cache": a cache may keep them and ask with If-None-Match, which is answered 304
// until the next publication. A t outside 1-4, a ut that is no feed date, an unknown stamp or one later than the
// master's is answered 400; a master that cannot be read, 503. Feeds are made by `pool` through `cache`; the stamp is
// read through `stamps`, so that a kept answer never waits behind feeds being made. `log` receives a line per feed.
void addFeedRoutes(httplib::Server& server, MasterPool& pool, MasterPool& stamps, FeedCache& cache,
                   std::function<void(const std::string&)> log);
