#pragma once

#include <cstddef>
#include <string>

namespace twitter_api {

// Why a request that reached the service did not get what it asked for, in the kinds a user can
// act on differently.
enum class FailureKind {
    Refused,            // the service answered with an error
    CredentialRefused,  // the service refused the account name or password
    NotADocument,       // the answer is not a well-formed document
};

struct RequestFailure {
    FailureKind kind = FailureKind::Refused;
    std::string message;
};

// Where a request tells its caller why it failed: nowhere, in the message alone, or in the
// message with its kind.
class FailureOut {
  public:
    FailureOut() = default;
    FailureOut(std::nullptr_t) {}
    FailureOut(std::string* message) : mMessage(message) {}
    FailureOut(RequestFailure* failure) : mFailure(failure) {}

    void Set(FailureKind kind, std::string message) const;
    void Clear() const { Set(FailureKind::Refused, {}); }

  private:
    std::string* mMessage = nullptr;
    RequestFailure* mFailure = nullptr;
};

}  // namespace twitter_api
