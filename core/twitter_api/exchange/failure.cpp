#include "twitter_api/exchange/failure.h"

namespace twitter_api {

void FailureOut::Set(FailureKind kind, std::string message) const {
    if (mFailure != nullptr) {
        mFailure->kind = kind;
        mFailure->message = std::move(message);
    } else if (mMessage != nullptr) {
        *mMessage = std::move(message);
    }
}

}  // namespace twitter_api
