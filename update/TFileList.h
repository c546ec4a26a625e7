#pragma once

#include "update/TFileDescription.h"

#include <QList>

namespace update {

// The files that an update run offers, in control-file order, plus the one being downloaded.
class TFileList
{
public:
    int count() const { return m_items.size(); }
    bool isEmpty() const { return m_items.isEmpty(); }
    TFileDescription& item(int index) { return m_items[index]; }
    const TFileDescription& item(int index) const { return m_items.at(index); }
    TFileDescription& add();
    void removeAt(int index);
    void clear();

    int ActiveItem = -1;

    // Sum of FileSize over all items, and over the items before ActiveItem (for the total progress).
    qint64 totalSize() const;
    qint64 completedSize() const;

private:
    QList<TFileDescription> m_items;
};

} // namespace update
