#include "requestparts.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "basicauth.h"
#include "store.h"

namespace standin {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// "%" and two hexadecimal digits become that byte; everything else, "+" included, stays.
std::string PercentDecode(std::string_view text) {
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

}  // namespace

Parameters QueryParameters(std::string_view query, std::initializer_list<std::string_view> names) {
    struct SStart {
        size_t mAt;  // where the name begins
        std::string_view mName;
    };
    std::vector<SStart> starts;
    for (size_t at = 0;;) {
        const std::string_view rest = query.substr(at);
        for (const std::string_view name : names) {
            if (rest.starts_with(name) && rest.substr(name.size()).starts_with('=')) {
                starts.push_back({at, name});
            }
        }
        const size_t separator = query.find('&', at);
        if (separator == std::string_view::npos) {
            break;
        }
        at = separator + 1;
    }
    Parameters parameters;
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t begin = starts[i].mAt + starts[i].mName.size() + 1;
        const size_t end = i + 1 < starts.size() ? starts[i + 1].mAt - 1 : query.size();
        parameters.emplace(starts[i].mName, PercentDecode(query.substr(begin, end - begin)));
    }
    return parameters;
}

std::optional<int64_t> ToInteger(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string_view RawQuery(const httplib::Request& request) {
    const std::string_view target = request.target;
    const size_t mark = target.find('?');
    return mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

int32_t CountParameter(const Parameters& parameters, std::string_view name, int32_t fallback,
                       int32_t most) {
    const auto found = parameters.find(name);
    const std::optional<int64_t> value =
        found == parameters.end() ? std::nullopt : ToInteger(found->second);
    if (!value || *value < 1) {
        return fallback;
    }
    return static_cast<int32_t>(std::min<int64_t>(*value, most));
}

SPage PageOf(const httplib::Request& request, std::string_view countName, int32_t fallback,
             int32_t most) {
    const Parameters parameters =
        QueryParameters(RawQuery(request), {"since_id", countName, "page"});
    SPage page;
    const auto since = parameters.find("since_id");
    if (since != parameters.end()) {
        page.mSinceId = ToInteger(since->second).value_or(0);
    }
    page.mCount = CountParameter(parameters, countName, fallback, most);
    page.mPage = CountParameter(parameters, "page", 1, INT32_MAX);
    return page;
}

std::optional<int64_t> SignedInAccount(const httplib::Request& request, const CStore& store) {
    const std::optional<SCredential> credential =
        ParseBasicAuthorization(request.get_header_value("Authorization"));
    if (!credential) {
        return std::nullopt;
    }
    return store.Authenticate(credential->mName, credential->mPassword);
}

httplib::Server::Handler Authenticated(const CStore& store, std::string realm, Refusal refuse,
                                       AccountHandler handler) {
    return [&store, realm = "Basic realm=\"" + realm + "\"", refuse = std::move(refuse),
            handler = std::move(handler)](const httplib::Request& request,
                                          httplib::Response& response) {
        const std::optional<int64_t> account = SignedInAccount(request, store);
        if (!account) {
            response.set_header("WWW-Authenticate", realm);
            refuse(request, response);
            return;
        }
        handler(*account, request, response);
    };
}

httplib::Server::HandlerWithContentReader WithoutBody(httplib::Server::Handler handler) {
    return [handler = std::move(handler)](
               const httplib::Request& request, httplib::Response& response,
               const httplib::ContentReader&) { handler(request, response); };
}

}  // namespace standin
