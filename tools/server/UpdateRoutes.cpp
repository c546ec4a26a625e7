#include "UpdateRoutes.h"

#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

// Takes "--name value" or "--name=value" out of args; false when the option is there without a value.
bool takeOption(std::vector<std::string>& args, const std::string& name, std::string& value)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            if (i + 1 >= args.size())
                return false;
            value = args[i + 1];
            args.erase(args.begin() + i, args.begin() + i + 2);
            return true;
        }
        if (args[i].rfind(name + "=", 0) == 0) {
            value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + i);
            return true;
        }
    }
    return true;
}

// The file below root that a request path names, or empty when it names none (or leaves the folder).
fs::path resolve(const fs::path& root, const std::string& requestPath)
{
    const fs::path relative = fs::path(requestPath).relative_path().lexically_normal();
    if (relative.empty() || *relative.begin() == "..")
        return {};
    std::error_code ec;
    const fs::path full = fs::weakly_canonical(root / relative, ec);
    if (ec || !fs::is_regular_file(full, ec))
        return {};
    const auto rel = full.lexically_relative(root);
    if (rel.empty() || *rel.begin() == "..")
        return {};
    return full;
}

} // namespace

bool parseUpdateOptions(std::vector<std::string>& args, UpdateRouteOptions& options)
{
    return takeOption(args, "--update-dir", options.folder) && takeOption(args, "--update-user", options.user) &&
           takeOption(args, "--update-password", options.password);
}

void addUpdateRoutes(httplib::Server& server, const UpdateRouteOptions& options)
{
    if (options.folder.empty())
        return;
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(fs::absolute(options.folder), ec);
    const std::string expected = httplib::make_basic_authentication_header(options.user, options.password).second;

    // Everything under the root that no other route takes: the control file and the files it lists.
    server.Get(R"(/(.+))", [root, expected](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Authorization") != expected) {
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"update\"");
            res.set_content("authorization required\n", "text/plain");
            return;
        }
        const fs::path file = resolve(root, req.path);
        std::error_code sizeError;
        const auto size = file.empty() ? 0 : fs::file_size(file, sizeError);
        if (file.empty() || sizeError) {
            res.status = 404;
            res.set_content("not found\n", "text/plain");
            return;
        }
        // Streamed from the file, so that large downloads do not sit in memory.
        auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
        res.set_content_provider(static_cast<size_t>(size), "application/octet-stream",
                                 [stream](size_t offset, size_t length, httplib::DataSink& sink) {
                                     char buffer[65536];
                                     stream->seekg(static_cast<std::streamoff>(offset));
                                     const size_t n = std::min(length, sizeof buffer);
                                     stream->read(buffer, static_cast<std::streamsize>(n));
                                     const auto got = stream->gcount();
                                     if (got <= 0)
                                         return false;
                                     sink.write(buffer, static_cast<size_t>(got));
                                     return true;
                                 });
    });
}
