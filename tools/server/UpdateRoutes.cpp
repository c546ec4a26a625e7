#include "UpdateRoutes.h"

#include <httplib.h>

#include <QProcess>
#include <QStringList>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

#include <sys/stat.h>

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

// Signs file into file.minisig as the release of the file's modification time, as a publisher would.
bool signRelease(const UpdateRouteOptions& options, const fs::path& file)
{
    struct stat info; // filled by stat()
    if (::stat(file.c_str(), &info) != 0)
        return false;
    const std::time_t time = info.st_mtime;
    std::tm utc{};
    gmtime_r(&time, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    const std::string comment = std::string("velkorn-release time=") + stamp + " file=" + file.filename().string();
    QProcess tool;
    tool.start(QString::fromStdString(options.minisign),
               {"-S", "-s", QString::fromStdString(options.signKey), "-m", QString::fromStdString(file.string()), "-t",
                QString::fromStdString(comment)});
    tool.closeWriteChannel();
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

} // namespace

bool parseUpdateOptions(std::vector<std::string>& args, UpdateRouteOptions& options)
{
    return takeOption(args, "--update-dir", options.folder) && takeOption(args, "--update-user", options.user) &&
           takeOption(args, "--update-password", options.password) &&
           takeOption(args, "--update-sign-key", options.signKey);
}

void addUpdateRoutes(httplib::Server& server, const UpdateRouteOptions& options)
{
    if (options.folder.empty())
        return;
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(fs::absolute(options.folder), ec);
    const std::string expected = httplib::make_basic_authentication_header(options.user, options.password).second;

    // Everything under the root that no other route takes: the control file and the files it lists.
    server.Get(R"(/(.+))", [root, expected, options](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Authorization") != expected) {
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"update\"");
            res.set_content("authorization required\n", "text/plain");
            return;
        }
        const std::string suffix = ".minisig";
        if (!options.signKey.empty() && req.path.size() > suffix.size() &&
            req.path.compare(req.path.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            resolve(root, req.path).empty()) {
            const fs::path signedFile = resolve(root, req.path.substr(0, req.path.size() - suffix.size()));
            if (!signedFile.empty())
                signRelease(options, signedFile); // a failure shows as the 404 below
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
