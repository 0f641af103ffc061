#include "twitter_api/requests/status.h"

#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/xmlmapping.h"

namespace twitter_api {
namespace {

// Nothing of the answer is read: a well-formed document counts as success.
bool Exchange(const Service& service, HostKind host, const std::string& path,
              const std::string& credential, std::optional<std::string_view> diagnosticLine) {
    const std::string document = FetchDocument(service, kPost, host, path, credential);
    if (const auto failure = CheckWellFormed(document)) {
        ReportMalformed(service, diagnosticLine, *failure);
        return false;
    }
    return true;
}

}  // namespace

bool Post(const Service& service, const std::string& credential, const std::string& text,
          int64_t replyId) {
    const std::string path =
        replyId >= 0 ? FormatPath("/statuses/update.xml?status=%s&in_reply_to_status_id=%d",
                                  {UriEncode(text), replyId})
                     : FormatPath("/statuses/update.xml?status=%s", {UriEncode(text)});
    return Exchange(service, HostKind::Main, path, credential, "Post XML PARSE ERROR!!");
}

bool CreateFavorite(const Service& service, const std::string& credential, int64_t statusId) {
    if (credential.empty()) {
        return false;
    }
    return Exchange(service, HostKind::Versioned,
                    FormatPath("/1/favorites/create/%d.xml", {statusId}), credential, std::nullopt);
}

bool DestroyFavorite(const Service& service, const std::string& credential, int64_t statusId) {
    if (credential.empty()) {
        return false;
    }
    return Exchange(service, HostKind::Versioned,
                    FormatPath("/1/favorites/destroy/%d.xml", {statusId}), credential,
                    std::nullopt);
}

}  // namespace twitter_api
