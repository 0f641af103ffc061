#pragma once

#include <string>

#include "twitter_api/model/contributionlistofday.h"
#include "twitter_api/model/tabtype.h"

namespace twitter_api {
class LogWriter;
}

namespace twitter_api {

// "timeline/", "mentions/", "directmessages/", "list/" or "search/".
std::string GetLogDirectoryByTabType(ETabType kind);

// Makes log/ and, when gSetting names an account, log/{user}/ with its five kind directories.
// False when there is no account.
bool CreateLogDirectories();

// Makes setting/ when absent.
bool CreateSettingDirectory();

// Writes the list to log/{user}/{directory}{date}.dat, or {date}_{param}.dat for lists and
// search. Nothing is written without an account, for an empty list, or for lists and search
// without a param.
void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param);
// The same, with the file put on the disk by writer: the list is encoded before this returns, so
// the list may change at once.
void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param,
             LogWriter& writer);

// The day's list from its file, or a new empty list for date.
ContributionListPtr LoadLog(const std::string& date, ETabType kind, const std::string& param);

// The list held in the day log at path, which exists; the archive's failures propagate.
ContributionListPtr ReadLogFile(const std::string& path);

// "log/{user}/", the folder of an account's day logs, with the name made safe as a folder name.
std::string GetAccountLogDirectory(const std::string& user);

}  // namespace twitter_api
