#pragma once

#include "sync/FeedDocument.h"

#include <QDateTime>

namespace catalogsync {

// The four documents of one run, each present or absent (null): changed items, their codes, their pictures,
// deleted items.
struct FeedDocuments
{
    FeedDocumentPtr xmlItem;
    FeedDocumentPtr xmlItemCode;
    FeedDocumentPtr xmlItemPictures;
    FeedDocumentPtr xmlItemDeleted;
    // The LAST_UPDATE the documents were asked for; invalid when not known.
    QDateTime askedFrom;

    bool any() const { return xmlItem || xmlItemCode || xmlItemPictures || xmlItemDeleted; }
};

} // namespace catalogsync
