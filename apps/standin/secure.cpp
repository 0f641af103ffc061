#include "secure.h"

#include <httplib.h>

#include "common/errors.h"

namespace standin {
namespace {

// The name in the request's Host header, without its port; the loopback address without one.
std::string HostName(const httplib::Request& request) {
    const std::string host = request.get_header_value("Host");
    const std::string name = host.substr(0, host.rfind(':'));
    return name.empty() ? "127.0.0.1" : name;
}

}  // namespace

std::unique_ptr<httplib::Server> MakeHttpsServer(const std::string& certificateFile,
                                                 const std::string& keyFile) {
    auto server = std::make_unique<httplib::SSLServer>(certificateFile.c_str(), keyFile.c_str());
    if (!server->is_valid()) {
        throw Exception("cannot use the TLS certificate " + certificateFile + " with the key " +
                        keyFile);
    }
    return server;
}

void ConfigureRedirectToHttps(httplib::Server& server, int httpsPort) {
    server.set_keep_alive_max_count(1);
    server.set_pre_routing_handler(
        [httpsPort](const httplib::Request& request, httplib::Response& response) {
            response.status = 307;
            response.set_header("Location", "https://" + HostName(request) + ":" +
                                                std::to_string(httpsPort) + request.target);
            return httplib::Server::HandlerResponse::Handled;
        });
}

}  // namespace standin
