#include "base/RequestFailure.h"

#include "base/Guard.h"
#include "platform/socket.h"

SFailure FailureOf(const twitter_api::RequestFailure& failure) {
    switch (failure.kind) {
        case twitter_api::FailureKind::CredentialRefused:
            return {SFailure::Kind::CredentialRefused, failure.message};
        case twitter_api::FailureKind::Refused:
            return {SFailure::Kind::ServerError, failure.message};
        case twitter_api::FailureKind::NotADocument:
            break;
    }
    return {SFailure::Kind::NotUnderstood, failure.message};
}

SFailure CurrentFailure() {
    try {
        throw;
    } catch (const RequestFailed& failed) {
        return FailureOf({failed.kind, failed.what()});
    } catch (const platform::NetworkError& error) {
        return {SFailure::Kind::Unreachable, error.what()};
    } catch (...) {
        return {SFailure::Kind::NotUnderstood, CurrentErrorText()};
    }
}
