#include "UpdateRoutes.h"

#include <httplib.h>

bool parseUpdateOptions(std::vector<std::string>&, UpdateRouteOptions&) { return true; }

void addUpdateRoutes(httplib::Server&, const UpdateRouteOptions&) {}
