#pragma once

#include <QString>

// Host names of the two servers the program talks to. Both can be pointed elsewhere through the environment
// (VELKORN_CATALOG_HOST, VELKORN_UPDATE_HOST, "host" or "host:port"), which the tests and the demo servers use.
namespace app {

inline constexpr const char* DefaultCatalogHost = "catalog.velkorn.example";
inline constexpr const char* DefaultUpdateHost = "update.velkorn.example";

QString catalogServerHost();
QString updateServerHost();

} // namespace app
