#pragma once

#include <QApplication>

namespace app {

// The application object. Events are delivered through notify(), which is the one place where a silent
// cancellation from the language components is dropped and any other failure of a handler is shown. It also sets up
// the database engine (its locale, and a catalog file shared with other processes) as soon as Qt has adopted the
// user's locale.
class VelkornApplication : public QApplication
{
    Q_OBJECT
public:
    VelkornApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace app
