#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/failure.h"

// How a request that did not get what it asked for tells its caller why, in one line for the user.
namespace twitter_api {

// True for a status line of the form "HTTP/x.y NNN ..." whose code is 400 to 599.
bool IsErrorStatus(std::string_view statusLine);

// The service's refusal of a request: for an error status, the text of the answer's first
// non-empty "error" element when the answer is a well-formed document that has one, else the
// status line. Nothing for any other status.
std::optional<std::string> RefusalOf(const Fetched& fetched);

// The message for an answer that is not a well-formed document.
std::string MalformedMessage(std::string_view reason);

// The kind of a refusal: HTTP 401 refuses the account name or password.
FailureKind RefusalKind(std::string_view statusLine);

}  // namespace twitter_api
