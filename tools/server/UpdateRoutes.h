#pragma once

#include <string>
#include <vector>

namespace httplib {
class Server;
}

// The update folder served by velkorn-server, behind Basic authentication.
struct UpdateRouteOptions
{
    std::string folder; // empty: no update routes
    std::string user = "update";
    std::string password = "refreshx";
    // A minisign secret key (without password): a missing "<name>.minisig" is made on request by the minisign
    // tool, its trusted comment naming the file's modification time as the release time and the file's name.
    std::string signKey;
    std::string minisign = "minisign";
};

// Takes the update options out of the command line (leaving the others) and
// fills the options; returns false on a malformed option.
bool parseUpdateOptions(std::vector<std::string>& args, UpdateRouteOptions& options);

// Installs the update routes on the server when a folder is set.
void addUpdateRoutes(httplib::Server& server, const UpdateRouteOptions& options);
