#include "widgets/AccessibleImageButton.h"

#include "widgets/TImageButton.h"

namespace widgets {

namespace {

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("widgets::TImageButton") && object && object->isWidgetType())
        return new AccessibleImageButton(static_cast<TImageButton*>(object));
    return nullptr;
}

} // namespace

AccessibleImageButton::AccessibleImageButton(TImageButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

QStringList AccessibleImageButton::actionNames() const
{
    return {pressAction()};
}

void AccessibleImageButton::doAction(const QString& actionName)
{
    if (actionName == pressAction())
        static_cast<TImageButton*>(widget())->click();
}

QStringList AccessibleImageButton::keyBindingsForAction(const QString&) const
{
    return {};
}

void AccessibleImageButton::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace widgets
