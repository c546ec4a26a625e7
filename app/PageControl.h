#pragma once

#include <QList>
#include <QWidget>

namespace app {

// A page control without tabs: one child page shown at a time, chosen only by code. Its pages are plain
// children rather than QStackedWidget pages, which the language component would treat as captioned tab sheets.
class PageControl : public QWidget
{
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent = nullptr);

    int addPage(QWidget* page);
    int count() const { return m_pages.size(); }
    QWidget* page(int index) const { return m_pages.value(index); }
    int indexOf(QWidget* page) const { return m_pages.indexOf(page); }
    QWidget* findPage(const QString& name) const;

    int currentIndex() const { return m_current; }
    QWidget* currentPage() const { return page(m_current); }
    void setCurrentIndex(int index);
    void setCurrentPage(QWidget* page) { setCurrentIndex(indexOf(page)); }

signals:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<QWidget*> m_pages;
    int m_current = -1;
};

} // namespace app
