#include "app/PageControl.h"

namespace app {

PageControl::PageControl(QWidget* parent) : QWidget(parent) {}

int PageControl::addPage(QWidget* page)
{
    page->setParent(this);
    page->setGeometry(rect());
    m_pages.append(page);
    if (m_current < 0)
        setCurrentIndex(0);
    else
        page->hide();
    return m_pages.size() - 1;
}

QWidget* PageControl::findPage(const QString& name) const
{
    for (QWidget* page : m_pages)
        if (page->objectName() == name)
            return page;
    return nullptr;
}

void PageControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_pages.size() || index == m_current)
        return;
    QWidget* old = currentPage();
    m_current = index;
    m_pages.at(index)->setGeometry(rect());
    m_pages.at(index)->show();
    if (old)
        old->hide();
    emit currentChanged(index);
}

void PageControl::resizeEvent(QResizeEvent*)
{
    // Hidden pages follow too, so that their anchored children are right when they come to the front.
    for (QWidget* page : m_pages)
        page->setGeometry(rect());
}

} // namespace app
