#pragma once

namespace httplib {
class Server;
}

namespace standin {

class CStore;

// Installs the service's routes on the server and makes it answer as the service did: one
// request per connection, closed after the answer, every error as an XML document.
void ConfigureServer(httplib::Server& server, CStore& store);

}  // namespace standin
