#pragma once

#include <memory>
#include <string>

namespace httplib {
class Server;
}

// The stand-in over https, as the servers that still speak the interface are reached today, and the
// plain-HTTP port beside it that sends every client there.
namespace standin {

// A server that speaks TLS with the certificate (a PEM file, optionally followed by its chain)
// and its key; throws Exception when they cannot be loaded.
std::unique_ptr<httplib::Server> MakeHttpsServer(const std::string& certificateFile,
                                                 const std::string& keyFile);

// Answers every request with a 307 whose Location is the same target over https at the host the
// client named, on httpsPort; one request per connection.
void ConfigureRedirectToHttps(httplib::Server& server, int httpsPort);

}  // namespace standin
