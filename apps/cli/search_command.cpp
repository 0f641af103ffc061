#include <filesystem>
#include <iostream>
#include <optional>
#include <system_error>

#include "commands.h"
#include "common/diagnostics.h"
#include "common/escaped.h"
#include "platform/file.h"
#include "searchoutput.h"
#include "settings/datafolder.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/search/historysearch.h"

namespace {

namespace fs = std::filesystem;

enum class EOutputForm { JSON_LINES, CSV };

struct SSearchOptions {
    std::optional<std::string> mDataDir;
    std::optional<std::string> mAccount;
    size_t mLimit = 0;
    EOutputForm mForm = EOutputForm::JSON_LINES;
    std::string mQuery;  // the query words joined by blanks
};

// The logs cannot be read at all: status 2.
struct LogsUnreadable {
    std::string message;
};

size_t ParseLimit(const std::string& value) {
    const int32_t limit = twitter_api::ToInt32(value);
    if (limit < 1) {
        throw UsageError{"--limit takes a number above 0"};
    }
    return static_cast<size_t>(limit);
}

// The known options anywhere before "--"; every other word belongs to the query, "-word"
// included.
SSearchOptions ParseSearchOptions(const Arguments& args) {
    SSearchOptions options;
    bool formGiven = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool takesValue = word == "--data-dir" || word == "--account" || word == "--limit";
        if (optionsEnded || !word.starts_with("--")) {
            options.mQuery += (options.mQuery.empty() ? "" : " ") + word;
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--json" || word == "--csv") {
            if (formGiven) {
                throw UsageError{"search takes one of --json and --csv"};
            }
            formGiven = true;
            options.mForm = word == "--csv" ? EOutputForm::CSV : EOutputForm::JSON_LINES;
        } else if (takesValue && i + 1 < args.size() && !args[i + 1].empty()) {
            const std::string& value = args[++i];
            if (word == "--data-dir") {
                options.mDataDir = value;
            } else if (word == "--account") {
                options.mAccount = value;
            } else {
                options.mLimit = ParseLimit(value);
            }
        } else {
            throw UsageError{"unknown option or missing value: " + word};
        }
    }
    return options;
}

// Makes the data folder the working folder, as the other commands do, but never makes it: a
// search changes nothing.
void VisitDataFolder(const std::optional<std::string>& dataDir) {
    const fs::path folder = settings::ChooseDataFolder(settings::CurrentPlace(dataDir));
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        throw LogsUnreadable{"Cannot use the data folder '" + EscapeControls(folder.string()) +
                             "': " + error.message()};
    }
}

std::string AccountOf(const SSearchOptions& options) {
    if (options.mAccount) {
        return *options.mAccount;
    }
    if (platform::PathExists(DialogSetting::kSettingFile)) {
        DialogSetting::LoadSettingInfo();
        const std::string account = gSetting->GetAccountName();
        if (!account.empty()) {
            return account;
        }
    }
    throw LogsUnreadable{"No account is set: give --account NAME"};
}

// Writes the hits as they come, in blocks, so that a large export needs no more memory than a
// block.
class CHitWriter final : public twitter_api::SearchReceiver {
  public:
    explicit CHitWriter(EOutputForm form) : mForm(form) {
        if (mForm == EOutputForm::CSV) {
            mBuffer = kCsvHeader;
        }
    }
    ~CHitWriter() override { Flush(); }

    void Hit(twitter_api::SSearchHit hit) override {
        if (mForm == EOutputForm::CSV) {
            AppendHitCsvRecord(mBuffer, hit);
        } else {
            AppendHitJsonLine(mBuffer, hit);
        }
        if (mBuffer.size() >= kBlockSize) {
            Flush();
        }
    }
    void Progress(size_t, size_t) override { Flush(); }

  private:
    static constexpr size_t kBlockSize = size_t{1} << 16;

    void Flush() {
        std::cout.write(mBuffer.data(), static_cast<std::streamsize>(mBuffer.size()));
        std::cout.flush();
        mBuffer.clear();
    }

    EOutputForm mForm;
    std::string mBuffer;
};

int Search(const SSearchOptions& options, const std::optional<std::string>& globalDataDir) {
    std::optional<twitter_api::CQueryMatcher> matcher;
    try {
        matcher.emplace(twitter_api::ParseQuery(options.mQuery));
    } catch (const twitter_api::QueryError& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    VisitDataFolder(options.mDataDir ? options.mDataDir : globalDataDir);
    const std::string folder = twitter_api::GetAccountLogDirectory(AccountOf(options));
    StreamSink diagnostics(std::cerr);
    twitter_api::SSearchSummary summary;
    {
        CHitWriter writer(options.mForm);
        try {
            summary = twitter_api::SearchHistory({folder, options.mLimit, {}}, *matcher, writer,
                                                 diagnostics);
        } catch (const Exception& e) {
            throw LogsUnreadable{e.what()};
        }
    }
    if (summary.mFilesRead == 0 && summary.mFilesSkipped > 0) {
        throw LogsUnreadable{"None of the logs in '" + EscapeControls(folder) + "' could be read"};
    }
    return 0;
}

}  // namespace

int RunSearchCommand(const Arguments& args, const std::optional<std::string>& globalDataDir) {
    const SSearchOptions options = ParseSearchOptions(args);
    try {
        return Search(options, globalDataDir);
    } catch (const LogsUnreadable& e) {
        std::cerr << e.message << '\n';
        return 2;
    }
}
