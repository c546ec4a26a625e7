#pragma once

#include <QString>

// The embedded database engine of our processes runs on a configuration of our own. Its installed default (server mode
// Super) gives a database file to the first process that opens it and refuses every other ("Database already opened
// with engine instance"), so the program, a second program and velkorn-lookup could not share one catalog file.
// In SuperClassic mode the processes share the file through the engine's lock files, and each sees what the others
// commit.
namespace platform {

// Pins the engine's locale (pinEngineLocale) and points the engine (FIREBIRD) at a private root folder in the user's
// cache that holds our firebird.conf and links to the installed engine's plugins, character sets and messages. Call
// once on the main thread, after the Q(Core)Application exists and before the first database is opened; processes
// started from this one inherit the setting. Returns the root folder, or an empty string when it could not be made:
// the engine then keeps its installed configuration and a catalog file serves one process at a time.
QString configureEngine();

// The text of our firebird.conf.
QByteArray engineConfigurationText();

} // namespace platform
