#pragma once

#include <QList>
#include <QString>

class QObject;
class QStatusBar;
class QWidget;

// Which components the language files translate, and how their text is read and
// set. The kinds are tested in this order; the first that matches decides.
namespace i18n {

enum class TextKind
{
    None,
    PushButton,  // QPushButton: text
    ToolButton,  // QToolButton: text
    Label,       // QLabel (also static text): text; a label showing a picture is a picture control
    FileDialog,  // QFileDialog: window title
    MenuItem,    // QAction: text; QMenu: title
    CheckBox,    // QCheckBox: text
    GroupBox,    // QGroupBox: title
    RadioButton, // QRadioButton: text
    Page,        // a QTabWidget page (tab text), or a QStackedWidget page with a window title
    StatusBar,   // QStatusBar: one text per panel
};

TextKind textKindOf(const QObject* component);

// Keeps a component of a translatable class out of the language files, for controls
// that stand for library components outside the kinds above (bar buttons, grid
// columns) and get their texts from message lookup instead.
void excludeFromTranslation(QObject* component);
QString componentText(const QObject* component, TextKind kind);
void setComponentText(QObject* component, TextKind kind, const QString& text);

// A status bar's panels are its direct child labels, in child order.
QList<QWidget*> statusPanels(const QStatusBar* bar);
QString statusPanelKey(const QString& barName, int index);

// The application's forms: parentless top-level windows with a name, ordered by name
// so that the walk is the same on every run.
QList<QWidget*> applicationForms();
// A form's components: its named descendants in creation order (parents before their
// children), without the inner parts of composite widgets.
QList<QObject*> formComponents(const QWidget* form);

} // namespace i18n
