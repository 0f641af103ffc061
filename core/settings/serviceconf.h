#pragma once

#include <string>
#include <string_view>

#include "twitter_api/exchange/service.h"

// The service hosts kept in the data folder, beside the settings file and apart from it, so the
// settings archive stays as it is. One "key=value" line each:
//   main_host=twitter.com
//   api_host=api.twitter.com
//   search_host=search.twitter.com
//   ca_file=/path/to/ca.pem
// A host is a host name or name:port, either after http:// or https:// when wanted; ca_file, only
// written when set, names a PEM file of certificates trusted for https besides the system's.
// Blank lines and lines starting with "#" are skipped; a key may stand once.
namespace settings {

inline constexpr const char* kServiceConfFile = "setting/service.conf";

// The hosts the file sets over base; a line that cannot be read throws Exception naming the file,
// the line and what is wrong with it.
twitter_api::HostConfig ParseServiceConf(std::string_view text, const std::string& fileName,
                                         twitter_api::HostConfig base);

// All lines, in the order above; ca_file only when set.
std::string FormatServiceConf(const twitter_api::HostConfig& hosts);

// Throws Exception for a value that is no host name or name:port (after http:// or https:// when
// given).
void CheckHost(const std::string& host);

// The hosts in "setting/service.conf" over the defaults; the defaults alone without the file.
twitter_api::HostConfig LoadServiceConf();
// Replaces "setting/service.conf", making "setting/" when needed.
void SaveServiceConf(const twitter_api::HostConfig& hosts);

// What the programs talk to: the defaults, then the file, then WARBLET_MAIN_HOST,
// WARBLET_API_HOST and WARBLET_SEARCH_HOST, each overriding what came before. A variable's value
// is checked as a line's is; one that is no host throws Exception naming the variable.
twitter_api::HostConfig ServiceHosts();

}  // namespace settings
