#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "twitter_api/model/contribution.h"

class DiagnosticSink;

// What the day logs have no field for, kept in two small text files in an account's log folder
// beside the kind directories:
//   deleted.txt      the ids of the user's statuses deleted at the service, one decimal id a line;
//   in_reply_to.txt  for each reply seen, its id, one blank and the id of the status it answers.
// Lines end in LF. Each file is replaced whole, so that a crash leaves either the old or the new
// one; on loading, a line that is not of its file's form is skipped.
namespace twitter_api {

class LogWriter;

inline constexpr std::string_view kDeletedFileName = "deleted.txt";
inline constexpr std::string_view kInReplyToFileName = "in_reply_to.txt";

// The ids of deleted.txt's text; *skipped counts the damaged lines when given.
std::set<int64_t> ParseDeletedIds(std::string_view text, size_t* skipped = nullptr);
std::string FormatDeletedIds(const std::set<int64_t>& ids);
// The pairs of in_reply_to.txt's text, reply to the status it answers.
std::map<int64_t, int64_t> ParseReplyLinks(std::string_view text, size_t* skipped = nullptr);
std::string FormatReplyLinks(const std::map<int64_t, int64_t>& links);

// The notes of one account's log folder ("log/alice/"), read from its files when first asked for
// and kept here from then on. Not shared between threads.
class StatusNotes {
  public:
    // Damaged lines are reported to diagnostics, when given, one line a file.
    explicit StatusNotes(std::string folder, DiagnosticSink* diagnostics = nullptr);

    bool IsDeleted(int64_t id);
    // The status that the one of that id answers; 0 when none is known.
    int64_t InReplyTo(int64_t id);

    // Records a deletion at once, together with the ids the file holds by now (another program
    // may have added some).
    void AddDeleted(int64_t id);
    // Records what each of the contributions answers, for those that answer one; the file goes
    // to the disk through writer when given, else at once.
    void AddReplies(const std::vector<ContributionPtr>& contributions, LogWriter* writer);

  private:
    std::string PathOf(std::string_view name) const;
    std::string ReadFile(std::string_view name) const;
    void Report(std::string_view name, size_t skipped) const;
    const std::set<int64_t>& Deleted();
    const std::map<int64_t, int64_t>& Replies();

    std::string mFolder;
    DiagnosticSink* mDiagnostics;
    std::optional<std::set<int64_t>> mDeleted;
    std::optional<std::map<int64_t, int64_t>> mReplies;
};

// The notes of every account folder a window shows, one StatusNotes each, so that all its pages
// read and add to the same ones.
class StatusNotesShelf {
  public:
    // The notes of the folder; those made here report damaged lines to diagnostics.
    StatusNotes& For(const std::string& folder, DiagnosticSink* diagnostics);

  private:
    std::map<std::string, StatusNotes> mNotes;
};

}  // namespace twitter_api
