#include "update/TFileList.h"

namespace update {

TFileDescription& TFileList::add()
{
    m_items.append(TFileDescription{});
    return m_items.last();
}

void TFileList::removeAt(int index)
{
    m_items.removeAt(index);
    if (ActiveItem >= m_items.size())
        ActiveItem = m_items.size() - 1;
}

void TFileList::clear()
{
    m_items.clear();
    ActiveItem = -1;
}

qint64 TFileList::totalSize() const
{
    qint64 total = 0;
    for (const TFileDescription& d : m_items)
        total += d.FileSize;
    return total;
}

qint64 TFileList::completedSize() const
{
    qint64 total = 0;
    for (int i = 0; i < ActiveItem && i < m_items.size(); ++i)
        total += m_items.at(i).FileSize;
    return total;
}

} // namespace update
