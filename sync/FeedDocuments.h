#pragma once

#include "sync/FeedDocument.h"

namespace catalogsync {

// The four documents of one run, each present or absent (null): changed items, their codes, their pictures,
// deleted items.
struct FeedDocuments
{
    FeedDocumentPtr xmlItem;
    FeedDocumentPtr xmlItemCode;
    FeedDocumentPtr xmlItemPictures;
    FeedDocumentPtr xmlItemDeleted;
};

} // namespace catalogsync
