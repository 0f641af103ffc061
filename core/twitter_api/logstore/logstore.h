#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "settings/usernameshowtype.h"
#include "twitter_api/model/contributionlistofday.h"
#include "twitter_api/model/tabtype.h"

namespace twitter_api {
class LogWriter;
}

namespace twitter_api {

// "timeline/", "mentions/", "directmessages/", "list/" or "search/".
std::string GetLogDirectoryByTabType(ETabType kind);

// Each account's logs live in a folder of their own below log/: log/{user}/ for an account on the
// service, log/{user}@{server}/ for one on a GNU social or Friendica server, where server is the
// host of its API root (with the port when the root names one), so that two servers' accounts of
// the same name never mix. The functions below take that server, empty for the service.

// Makes log/ and, when gSetting names an account, its folder with the five kind directories.
// False when there is no account.
bool CreateLogDirectories(const std::string& server = {});

// Makes setting/ when absent.
bool CreateSettingDirectory();

// Writes the list to log/{user}/{directory}{date}.dat, or {date}_{param}.dat for lists and
// search. Nothing is written without an account, for an empty list, or for lists and search
// without a param.
void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param,
             const std::string& server = {});
// The same, with the file put on the disk by writer: the list is encoded before this returns, so
// the list may change at once. When the file holds this list as the writer last left it, with
// nothing held changed since (see CContributionListOfDay::EntriesChanged), only the records of the
// entries added since are encoded and appended; the file ends up with the same bytes.
void SaveLog(const ContributionListPtr& list, ETabType kind, const std::string& param,
             LogWriter& writer, const std::string& server = {});

// The day's list from its file, or a new empty list for date.
ContributionListPtr LoadLog(const std::string& date, ETabType kind, const std::string& param,
                            const std::string& server = {});

// The list held in the day log at path, which exists; the archive's failures propagate.
ContributionListPtr ReadLogFile(const std::string& path);

// "log/{user}/" or "log/{user}@{server}/", the folder of an account's day logs, with the name made
// safe as a folder name.
std::string GetAccountLogDirectory(const std::string& user, const std::string& server = {});

// The day's list as LoadLog gives it, with what a log writer needs to grow its file later.
struct SLoadedDay {
    ContributionListPtr list;
    std::string path;                            // empty when no file was read
    std::optional<platform::FileIdentity> file;  // as it was read; none when it changed meanwhile
    uint64_t bytes = 0;                          // the archive's length
    // Each entry's place and name choice as logged, which showing the entries sets anew.
    std::vector<std::pair<int32_t, DialogSetting::EUserNameShowType>> logged;
};
SLoadedDay LoadDay(const std::string& date, ETabType kind, const std::string& param,
                   const std::string& server = {});

// When shown holds exactly the entries of loaded, in order, each placed and named as logged,
// a whole save of shown would write what the file holds: the writer then treats the file as
// written by it, so that the first save after a start appends as the later ones do.
void AdoptDay(const ContributionListPtr& shown, const SLoadedDay& loaded, LogWriter& writer);

// A search query the user typed, as the name parameter of its log files: "%" and every byte that
// may not stand in a file name's part ("/", "\\", the control bytes 0x00 to 0x1F and 0x7F) as "%"
// and two upper-case hexadecimal digits, everything else as it is. Decoding is the reverse, so two
// queries never share their logs.
std::string EncodeQueryFileName(std::string_view query);

}  // namespace twitter_api
