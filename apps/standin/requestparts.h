#pragma once

#include <httplib.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model.h"

// The parts of a request the routes read, the same for every kind of server the stand-in plays:
// its query's parameters, the page of a timeline it asks for, the account it signs in as.
namespace standin {

class CStore;

using Parameters = std::map<std::string, std::string, std::less<>>;

// The parameters of a raw query string that have one of the given names, percent-decoded.
// Older clients left "&", "=" and "+" unencoded in the texts they sent, so a parameter ends only
// where "&" and another of the given names with "=" follow, and "+" stays a plus.
Parameters QueryParameters(std::string_view query, std::initializer_list<std::string_view> names);

// The query string of the request's target, without the "?".
std::string_view RawQuery(const httplib::Request& request);

std::optional<int64_t> ToInteger(std::string_view text);

// The named parameter as a count from 1 up to most; fallback when it is missing, not a number or
// below 1.
int32_t CountParameter(const Parameters& parameters, std::string_view name, int32_t fallback,
                       int32_t most);

// since_id, the count under its route's name, and page, as the service's timelines took them.
SPage PageOf(const httplib::Request& request, std::string_view countName, int32_t fallback,
             int32_t most);

// The account whose name and password the request's Basic credential gives; nothing without one.
std::optional<int64_t> SignedInAccount(const httplib::Request& request, const CStore& store);

using AccountHandler =
    std::function<void(int64_t account, const httplib::Request&, httplib::Response&)>;
// How a kind of server answers a request without a valid credential: the status and the body.
using Refusal = std::function<void(const httplib::Request&, httplib::Response&)>;

// A handler that passes the signed-in account to handler; without one, it asks for Basic
// credentials for realm and answers as refuse does.
httplib::Server::Handler Authenticated(const CStore& store, std::string realm, Refusal refuse,
                                       AccountHandler handler);

// The client posts without a body and without Content-Length and closes only after the answer.
// A handler that takes the content reader and never calls it keeps httplib from waiting for a
// body that never comes.
httplib::Server::HandlerWithContentReader WithoutBody(httplib::Server::Handler handler);

}  // namespace standin
