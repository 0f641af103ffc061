#pragma once

#include <string>

#include "common/errors.h"
#include "twitter_api/exchange/failure.h"

// Why a request failed, in the kinds the interface tells apart for the user: each asks for
// something else (the settings, the network, patience, a report).
struct SFailure {
    enum class Kind {
        CredentialRefused,  // the account name or password
        Unreachable,        // the server cannot be reached
        ServerError,        // the server answered with an error
        NotUnderstood,      // the answer was not understood
    };
    Kind kind = Kind::NotUnderstood;
    std::string message;  // the cause as the diagnostics write it
};

// A request's failure that work off the interface thread passes on by throwing, keeping its kind.
struct RequestFailed : Exception {
    explicit RequestFailed(twitter_api::RequestFailure failure)
        : Exception(failure.message), kind(failure.kind) {}
    twitter_api::FailureKind kind;
};

SFailure FailureOf(const twitter_api::RequestFailure& failure);

// The failure being handled; call it only inside a catch block. A network failure could not
// reach the server, a request's failure keeps its kind, anything else was not understood.
SFailure CurrentFailure();
