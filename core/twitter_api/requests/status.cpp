#include "twitter_api/requests/status.h"

#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/exchange.h"
#include "twitter_api/exchange/refusal.h"
#include "twitter_api/exchange/xmlmapping.h"

namespace twitter_api {
namespace {

constexpr std::string_view kNoAccount = "No account name and password are set";

// Nothing of the answer is read: a well-formed document without an error status is success.
bool Exchange(const Service& service, HostKind host, const std::string& path,
              const std::string& credential, std::optional<std::string_view> diagnosticLine,
              FailureOut failure) {
    const Fetched fetched = FetchDocument(service, kPost, host, path, credential);
    if (auto refusal = RefusalOf(fetched)) {
        failure.Set(RefusalKind(fetched.statusLine), std::move(*refusal));
        return false;
    }
    if (const auto malformed = CheckWellFormed(fetched.document)) {
        ReportMalformed(service, diagnosticLine, *malformed);
        failure.Set(FailureKind::NotADocument, MalformedMessage(*malformed));
        return false;
    }
    return true;
}

bool ChangeFavorite(const Service& service, const std::string& credential, std::string_view format,
                    int64_t statusId, FailureOut failure) {
    failure.Clear();
    if (credential.empty()) {
        failure.Set(FailureKind::CredentialRefused, std::string(kNoAccount));
        return false;
    }
    return Exchange(service, HostKind::Versioned, FormatPath(format, {statusId}), credential,
                    std::nullopt, failure);
}

}  // namespace

bool Post(const Service& service, const std::string& credential, const std::string& text,
          int64_t replyId, FailureOut failure) {
    failure.Clear();
    const std::string path =
        replyId >= 0 ? FormatPath("/statuses/update.xml?status=%s&in_reply_to_status_id=%d",
                                  {UriEncode(text), replyId})
                     : FormatPath("/statuses/update.xml?status=%s", {UriEncode(text)});
    return Exchange(service, HostKind::Main, path, credential, "Post XML PARSE ERROR!!", failure);
}

bool CreateFavorite(const Service& service, const std::string& credential, int64_t statusId,
                    FailureOut failure) {
    return ChangeFavorite(service, credential, "/1/favorites/create/%d.xml", statusId, failure);
}

bool DestroyFavorite(const Service& service, const std::string& credential, int64_t statusId,
                     FailureOut failure) {
    return ChangeFavorite(service, credential, "/1/favorites/destroy/%d.xml", statusId, failure);
}

}  // namespace twitter_api
