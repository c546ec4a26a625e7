#include "i18n/ComponentText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMovie>
#include <QPicture>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

namespace i18n {

namespace {

QTabWidget* tabWidgetOf(const QWidget* page)
{
    const QWidget* stack = page->parentWidget();
    return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

const char* const kUntranslated = "velkornUntranslated";

// A page carries a caption: its tab's text, or the window title of a tab-less page.
bool isPage(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (!widget || !qobject_cast<QStackedWidget*>(widget->parentWidget()))
        return false;
    return tabWidgetOf(widget) || !widget->windowTitle().isEmpty();
}

bool showsPicture(const QLabel* label)
{
    return !label->pixmap().isNull() || !label->picture().isNull() || label->movie();
}

bool isStatusPanel(const QObject* object)
{
    return qobject_cast<const QLabel*>(object) && qobject_cast<QStatusBar*>(object->parent());
}

// Qt names some inner parts of its own widgets; those are never components.
bool isInternalName(const QString& name)
{
    return name.startsWith(QLatin1String("qt_")) || name.startsWith(QLatin1String("_q_"));
}

// Widgets whose children are their own inner parts, not components of the form.
// The rich-text label is never translated, nor is anything inside it.
bool hidesChildren(const QObject* object)
{
    return qobject_cast<const QFileDialog*>(object) || qobject_cast<const QTabBar*>(object) ||
           object->inherits("widgets::TRTFLabel") || object->inherits("QAbstractSpinBox") ||
           object->inherits("QComboBox") || object->inherits("QCalendarWidget");
}

void collect(const QObject* parent, QList<QObject*>& out)
{
    for (QObject* child : parent->children()) {
        if (child->inherits("widgets::TRTFLabel"))
            continue;
        if (!child->objectName().isEmpty() && !isInternalName(child->objectName()))
            out.append(child);
        if (!hidesChildren(child))
            collect(child, out);
    }
}

} // namespace

TextKind textKindOf(const QObject* component)
{
    if (!component || component->inherits("widgets::TRTFLabel") || component->property(kUntranslated).toBool())
        return TextKind::None;
    if (qobject_cast<const QPushButton*>(component))
        return TextKind::PushButton;
    if (qobject_cast<const QToolButton*>(component))
        return TextKind::ToolButton;
    if (const auto* label = qobject_cast<const QLabel*>(component))
        return isStatusPanel(component) || showsPicture(label) ? TextKind::None : TextKind::Label;
    if (qobject_cast<const QFileDialog*>(component))
        return TextKind::FileDialog;
    if (qobject_cast<const QAction*>(component) || qobject_cast<const QMenu*>(component))
        return TextKind::MenuItem;
    if (qobject_cast<const QCheckBox*>(component))
        return TextKind::CheckBox;
    if (qobject_cast<const QGroupBox*>(component))
        return TextKind::GroupBox;
    if (qobject_cast<const QRadioButton*>(component))
        return TextKind::RadioButton;
    if (isPage(component))
        return TextKind::Page;
    if (qobject_cast<const QStatusBar*>(component))
        return TextKind::StatusBar;
    return TextKind::None;
}

void excludeFromTranslation(QObject* component)
{
    component->setProperty(kUntranslated, true);
}

QString componentText(const QObject* component, TextKind kind)
{
    switch (kind) {
    case TextKind::PushButton:
    case TextKind::ToolButton:
    case TextKind::CheckBox:
    case TextKind::RadioButton:
        return static_cast<const QAbstractButton*>(component)->text();
    case TextKind::Label:
        return static_cast<const QLabel*>(component)->text();
    case TextKind::FileDialog:
        return static_cast<const QWidget*>(component)->windowTitle();
    case TextKind::MenuItem:
        if (const auto* menu = qobject_cast<const QMenu*>(component))
            return menu->title();
        return static_cast<const QAction*>(component)->text();
    case TextKind::GroupBox:
        return static_cast<const QGroupBox*>(component)->title();
    case TextKind::Page: {
        const auto* page = static_cast<const QWidget*>(component);
        if (const QTabWidget* tabs = tabWidgetOf(page))
            return tabs->tabText(tabs->indexOf(const_cast<QWidget*>(page)));
        return page->windowTitle();
    }
    case TextKind::StatusBar:
    case TextKind::None:
        break;
    }
    return {};
}

void setComponentText(QObject* component, TextKind kind, const QString& text)
{
    switch (kind) {
    case TextKind::PushButton:
    case TextKind::ToolButton:
    case TextKind::CheckBox:
    case TextKind::RadioButton:
        static_cast<QAbstractButton*>(component)->setText(text);
        break;
    case TextKind::Label:
        static_cast<QLabel*>(component)->setText(text);
        break;
    case TextKind::FileDialog:
        static_cast<QWidget*>(component)->setWindowTitle(text);
        break;
    case TextKind::MenuItem:
        if (auto* menu = qobject_cast<QMenu*>(component))
            menu->setTitle(text);
        else
            static_cast<QAction*>(component)->setText(text);
        break;
    case TextKind::GroupBox:
        static_cast<QGroupBox*>(component)->setTitle(text);
        break;
    case TextKind::Page: {
        auto* page = static_cast<QWidget*>(component);
        if (QTabWidget* tabs = tabWidgetOf(page))
            tabs->setTabText(tabs->indexOf(page), text);
        else
            page->setWindowTitle(text);
        break;
    }
    case TextKind::StatusBar:
    case TextKind::None:
        break;
    }
}

QList<QWidget*> statusPanels(const QStatusBar* bar)
{
    QList<QWidget*> panels;
    for (QObject* child : bar->children())
        if (auto* label = qobject_cast<QLabel*>(child))
            panels.append(label);
    return panels;
}

QString statusPanelKey(const QString& barName, int index)
{
    return barName + QLatin1String(".Panels[") + QString::number(index) + QLatin1Char(']');
}

QList<QWidget*> applicationForms()
{
    QList<QWidget*> forms;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->parentWidget() || widget->objectName().isEmpty() || type == Qt::Popup || type == Qt::ToolTip ||
            type == Qt::Desktop)
            continue;
        forms.append(widget);
    }
    std::stable_sort(forms.begin(), forms.end(),
                     [](const QWidget* a, const QWidget* b) { return a->objectName() < b->objectName(); });
    return forms;
}

QList<QObject*> formComponents(const QWidget* form)
{
    QList<QObject*> components;
    if (!hidesChildren(form))
        collect(form, components);
    return components;
}

} // namespace i18n
