#pragma once

// The embedded database engine reads its configuration files and renders numbers with the C library's locale. Under
// a Turkish desktop its case-insensitive keywords miss ("Module" has an 'i' that tr_TR does not upper-case to 'I')
// and it cannot even attach; under a German one it writes doubles with decimal commas.
namespace platform {

// Pins the C library's character classes to C.UTF-8 and its number format to C, for the whole process. Call once
// on the main thread, after the Q(Core)Application exists (its constructor adopts the user's locale) and before
// the first database is opened. What the user sees is unchanged: QLocale::system() reads the environment.
void pinEngineLocale();

} // namespace platform
