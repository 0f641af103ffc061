#pragma once

#include <cstddef>

#include "twitter_api/exchange/flavour.h"

namespace httplib {
class Server;
}

namespace standin {

class CStore;

// Requests carry no body: a larger one is refused with 413 before it is read.
inline constexpr size_t kMaxRequestBodyBytes = 64 * 1024;
// Connections that may wait to be accepted: enough for 200 clients arriving at once.
inline constexpr int kListenBacklog = 256;

// Installs the service's routes on the server and makes it answer as the service did: one
// request per connection, closed after the answer, every error as an XML document with the
// service's status (401 for a bad credential, 403 for a refused post, 404 for what is not there).
void ConfigureServer(httplib::Server& server, CStore& store);
// The same for the kind of server given: the service's routes, or those of GNU social or
// Friendica under their API roots (serverroutes.h), one request per connection all the same.
void ConfigureServer(httplib::Server& server, CStore& store, twitter_api::Flavour flavour);

// Binds the server to 127.0.0.1 on port (0: any free port) with a listen backlog of
// kListenBacklog; the bound port, or -1.
int BindToLoopback(httplib::Server& server, int port);

}  // namespace standin
