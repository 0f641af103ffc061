#pragma once

#include <string>
#include <string_view>

#include "twitter_api/exchange/service.h"

// Where the service is, kept in the data folder beside the settings file and apart from it, so the
// settings archive stays as it is. One "key=value" line each, every one written only when set:
//   main_host=service.example
//   api_host=api.service.example
//   search_host=search.service.example
//   server=https://social.example/api
//   flavour=gnusocial
//   text_limit=1000
//   ca_file=/path/to/ca.pem
// A host is a host name or name:port, either after http:// or https:// when wanted. server is a
// GNU social or Friendica server's API root, flavour its kind (gnusocial or friendica) and
// text_limit how many characters a status may have there (0: no limit); with a server the three
// hosts are not used. ca_file names a PEM file of certificates trusted for https besides the
// system's. Blank lines and lines starting with "#" are skipped; a key may stand once. A fresh
// installation has no file and so no server.
namespace settings {

inline constexpr const char* kServiceConfFile = "setting/service.conf";

// The hosts the file sets over base; a line that cannot be read throws Exception naming the file,
// the line and what is wrong with it, and so does a server without its flavour or the reverse.
twitter_api::HostConfig ParseServiceConf(std::string_view text, const std::string& fileName,
                                         twitter_api::HostConfig base);

// The lines of what is set, in the order above.
std::string FormatServiceConf(const twitter_api::HostConfig& hosts);

// Throws Exception for a value that is no host name or name:port (after http:// or https:// when
// given).
void CheckHost(const std::string& host);

// What "setting/service.conf" sets; nothing without the file.
twitter_api::HostConfig LoadServiceConf();
// Replaces "setting/service.conf", making "setting/" when needed.
void SaveServiceConf(const twitter_api::HostConfig& hosts);

// What the programs talk to: the file, then WARBLET_MAIN_HOST, WARBLET_API_HOST and
// WARBLET_SEARCH_HOST, each overriding what came before. A variable's value is checked as a line's
// is; one that is no host throws Exception naming the variable. A variable names one of the
// service's hosts, so a server of the file is then left unused.
twitter_api::HostConfig ServiceHosts();

}  // namespace settings
