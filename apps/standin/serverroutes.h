#pragma once

#include <array>
#include <string_view>

namespace httplib {
class Server;
}

// The routes of the two server programs the stand-in can also play, each under both places a
// server's API root may be: "/api" (rewritten URLs) and "/index.php/api".
namespace standin {

class CStore;

inline constexpr std::array<std::string_view, 2> kApiRoots = {"/api", "/index.php/api"};

// GNU social 1.20: statuses with repeats, lists by owner and name, an Atom search, XML error
// documents, an HTML page for an unknown route, a text limit of kGnuSocialTextLimit.
inline constexpr int kGnuSocialTextLimit = 1000;
void InstallGnuSocialRoutes(httplib::Server& server, CStore& store);

// Friendica: three user blocks in a status, circles by id, favourites by parameter, a search
// answered with statuses, HTML error pages, no text limit checked.
inline constexpr int kFriendicaTextLimit = 200000;
void InstallFriendicaRoutes(httplib::Server& server, CStore& store);

}  // namespace standin
