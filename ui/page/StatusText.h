#pragma once

#include <QString>
#include <string>

#include "base/RequestFailure.h"

// What the status line says about a failure: a short sentence of its kind that the user can act
// on, the cause for the tooltip, and, for a refused account, a link to the settings.
struct SStatusText {
    QString text;
    QString detail;
    QString settingsLink;  // empty: none
};

// host: the server the request went to. what: the action that failed, when it was not a fetch.
SStatusText FailureStatus(const SFailure& failure, const std::string& host, const QString& what);

// The status line of a page while no account is set.
QString NoAccountStatus();
