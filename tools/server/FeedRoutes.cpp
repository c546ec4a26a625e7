#include "FeedRoutes.h"

#include "FeedCache.h"
#include "MasterPool.h"
#include "Publication.h"

#include "sync/FeedDate.h"
#include "sync/FeedError.h"

#include <httplib.h>

#include <QString>

namespace {

// Does an If-None-Match value name this tag ("*", or one of a list, weak or strong)?
bool namesTag(const std::string& ifNoneMatch, const std::string& tag)
{
    size_t start = 0;
    while (start < ifNoneMatch.size()) {
        size_t end = ifNoneMatch.find(',', start);
        if (end == std::string::npos)
            end = ifNoneMatch.size();
        std::string candidate = ifNoneMatch.substr(start, end - start);
        const size_t first = candidate.find_first_not_of(" \t");
        const size_t last = candidate.find_last_not_of(" \t");
        candidate = first == std::string::npos ? std::string() : candidate.substr(first, last - first + 1);
        if (candidate.rfind("W/", 0) == 0)
            candidate.erase(0, 2);
        if (candidate == "*" || candidate == tag)
            return true;
        start = end + 1;
    }
    return false;
}

// At most `n` characters of a client's text for the log, so that a hostile request cannot flood it.
std::string shortened(const std::string& text, size_t n = 40)
{
    return text.size() <= n ? text : text.substr(0, n) + "...";
}

// Is `a` later than `b`, an invalid time being "none yet"?
bool later(const QDateTime& a, const QDateTime& b)
{
    return a.isValid() && (!b.isValid() || a > b);
}

void refuse(httplib::Response& res, int status, const std::string& why)
{
    res.status = status;
    res.set_content(why + "\n", "text/plain");
}

void setValidators(httplib::Response& res, const std::string& tag)
{
    res.set_header("ETag", tag);
    // Kept by any cache, but asked for again each time: the same until the next publication.
    res.set_header("Cache-Control", "no-cache");
}

} // namespace

void addFeedRoutes(httplib::Server& server, MasterPool& pool, MasterPool& stamps, FeedCache& cache,
                   std::function<void(const std::string&)> log)
{
    // The reachability probe asks for the server's root.
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("Velkorn catalog server\n", "text/plain");
    });

    server.Get("/publication", [&stamps](const httplib::Request&, httplib::Response& res) {
        try {
            const std::string stamp =
                stamps.run([](MasterCatalog& master) { return master.publication(); }).text().toStdString();
            res.set_header(kPublicationHeader, stamp);
            res.set_header("Cache-Control", "max-age=1");
            res.set_content(stamp + "\n", "text/plain");
        } catch (const std::exception&) {
            res.set_header("Retry-After", "5");
            refuse(res, 503, "catalog unavailable");
        }
    });

    server.Get("/common/item.php", [&pool, &stamps, &cache, log](const httplib::Request& req, httplib::Response& res) {
        const std::string tText = req.get_param_value("t");
        const std::string ut = req.get_param_value("ut");
        const int t = tText.size() == 1 && tText[0] >= '1' && tText[0] <= '4' ? tText[0] - '0' : 0;
        QDateTime since;
        try {
            since = catalogsync::FeedDateTime(QString::fromStdString(ut));
        } catch (const catalogsync::FeedError&) {
            // Answered below: a ut that is no feed date is the client's mistake.
        }
        std::optional<Publication> upTo;
        if (req.has_header(kPublicationHeader)) {
            upTo = Publication::fromText(QString::fromStdString(req.get_header_value(kPublicationHeader)));
            if (!upTo) {
                log("feed refused: unknown publication \"" + shortened(req.get_header_value(kPublicationHeader)) +
                    "\"");
                refuse(res, 400, "bad feed request: unknown publication");
                return;
            }
        }
        if (t == 0 || !since.isValid()) {
            log("feed refused: t=" + shortened(tText) + " ut=\"" + shortened(ut) + "\"");
            refuse(res, 400,
                   t == 0 ? "bad feed request: t must be 1, 2, 3 or 4" : "bad feed request: ut is not a date");
            return;
        }
        const std::string ifNoneMatch = req.get_header_value("If-None-Match");
        // A proxy that names the publication needs no database to hear that its copy is current.
        if (upTo && !ifNoneMatch.empty() && namesTag(ifNoneMatch, upTo->entityTag(t, since).toStdString())) {
            setValidators(res, upTo->entityTag(t, since).toStdString());
            res.status = 304;
            return;
        }
        try {
            const Publication current = stamps.run([](MasterCatalog& master) { return master.publication(); });
            // A stamp later than the master's was never issued: its answer, kept, would stand for a publication
            // still to come.
            if (upTo && (later(upTo->items, current.items) || later(upTo->deletions, current.deletions))) {
                log("feed refused: a publication still to come \"" + upTo->text().toStdString() + "\"");
                refuse(res, 400, "bad feed request: unknown publication");
                return;
            }
            const Publication stamp = upTo ? *upTo : current;
            const std::string tag = stamp.entityTag(t, since).toStdString();
            setValidators(res, tag);
            if (!ifNoneMatch.empty() && namesTag(ifNoneMatch, tag)) {
                res.status = 304;
                return;
            }
            // The tag names the feed and the publication: the key of the answer.
            const FeedCache::Feed feed = cache.get(tag, [&] {
                return pool.run([&](MasterCatalog& master) {
                    FeedCache::Feed made;
                    made.body = master.feed(t, since, stamp, &made.records);
                    return made;
                });
            });
            log("feed t=" + std::to_string(t) + " ut=\"" + ut + "\" records=" + std::to_string(feed.records));
            res.set_content(feed.body.constData(), size_t(feed.body.size()), "text/xml; charset=UTF-8");
        } catch (const std::exception& e) {
            log(std::string("feed failed: ") + e.what());
            res.set_header("Retry-After", "5");
            refuse(res, 503, "catalog unavailable");
        }
    });
}
