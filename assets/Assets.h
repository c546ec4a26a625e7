#pragma once

#include <QByteArray>
#include <QString>

// Access to the catalog artwork compiled into velkorn_assets. Linking the library registers the resources; these
// helpers only spell the paths.
namespace assets {

// ":/art/" + name, e.g. artPath("logo.jpg").
QString artPath(const QString& name);
// The resource's bytes; empty when there is no such resource.
QByteArray readArt(const QString& name);

} // namespace assets
