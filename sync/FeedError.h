#pragma once

#include <QString>

#include <stdexcept>

namespace catalogsync {

// A defect in a feed record (unreadable value, unsafe file name, ...). It ends the run that applies the feed;
// the run's changes are rolled back.
class FeedError : public std::runtime_error
{
public:
    explicit FeedError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The run was told to stop (shutdown); treated like a failure: nothing of it is kept.
class SyncStopped : public std::runtime_error
{
public:
    SyncStopped() : std::runtime_error("synchronisation stopped") {}
};

// The feed was not applied because this seat may not write the catalog now (another seat is synchronising, or has
// brought the catalog beyond this feed) or cannot write it at all. Nothing was changed; the update check follows.
class SyncSkipped : public std::runtime_error
{
public:
    SyncSkipped(const QString& why, bool cannotWrite) : std::runtime_error(why.toStdString()), cannotWrite(cannotWrite)
    {
    }
    const bool cannotWrite;
};

} // namespace catalogsync
