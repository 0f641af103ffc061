#include "twitter_api/logstore/sidefiles.h"

#include <charconv>

#include "common/diagnostics.h"
#include "common/escaped.h"
#include "platform/file.h"
#include "twitter_api/logstore/logwriter.h"

namespace twitter_api {
namespace {

// A positive decimal id filling the whole text, nothing else.
std::optional<int64_t> IdOf(std::string_view text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    int64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size() || id <= 0) {
        return std::nullopt;
    }
    return id;
}

// Calls take(line) for every line of the text, a last line without LF included; counts the lines
// take refuses. Empty lines are neither taken nor counted.
template <typename Take>
void ForEachLine(std::string_view text, size_t* skipped, Take take) {
    size_t refused = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && !take(line)) {
            ++refused;
        }
    }
    if (skipped != nullptr) {
        *skipped = refused;
    }
}

// The folder and those above it that are missing.
void MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/'); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        if (slash > 0) {
            platform::MakeDirectory(folder.substr(0, slash + 1));
        }
    }
}

}  // namespace

std::set<int64_t> ParseDeletedIds(std::string_view text, size_t* skipped) {
    std::set<int64_t> ids;
    ForEachLine(text, skipped, [&ids](std::string_view line) {
        const std::optional<int64_t> id = IdOf(line);
        if (id) {
            ids.insert(*id);
        }
        return id.has_value();
    });
    return ids;
}

std::string FormatDeletedIds(const std::set<int64_t>& ids) {
    std::string text;
    for (const int64_t id : ids) {
        text += std::to_string(id) + "\n";
    }
    return text;
}

std::map<int64_t, int64_t> ParseReplyLinks(std::string_view text, size_t* skipped) {
    std::map<int64_t, int64_t> links;
    ForEachLine(text, skipped, [&links](std::string_view line) {
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos) {
            return false;
        }
        const std::optional<int64_t> reply = IdOf(line.substr(0, blank));
        const std::optional<int64_t> answered = IdOf(line.substr(blank + 1));
        if (!reply || !answered) {
            return false;
        }
        links[*reply] = *answered;
        return true;
    });
    return links;
}

std::string FormatReplyLinks(const std::map<int64_t, int64_t>& links) {
    std::string text;
    for (const auto& [reply, answered] : links) {
        text += std::to_string(reply) + " " + std::to_string(answered) + "\n";
    }
    return text;
}

StatusNotes::StatusNotes(std::string folder, DiagnosticSink* diagnostics)
    : mFolder(std::move(folder)), mDiagnostics(diagnostics) {}

bool StatusNotes::IsDeleted(int64_t id) {
    return Deleted().contains(id);
}

int64_t StatusNotes::InReplyTo(int64_t id) {
    const auto& replies = Replies();
    const auto found = replies.find(id);
    return found == replies.end() ? 0 : found->second;
}

void StatusNotes::AddDeleted(int64_t id) {
    std::set<int64_t> ids = ParseDeletedIds(ReadFile(kDeletedFileName));
    ids.insert(Deleted().begin(), Deleted().end());
    ids.insert(id);
    MakeFolders(mFolder);
    platform::AtomicFileWriter(PathOf(kDeletedFileName)).Commit(FormatDeletedIds(ids));
    mDeleted = std::move(ids);
}

void StatusNotes::AddReplies(const std::vector<ContributionPtr>& contributions, LogWriter* writer) {
    Replies();
    bool added = false;
    for (const ContributionPtr& contribution : contributions) {
        const int64_t answered = contribution->mInReplyToStatusId;
        if (answered <= 0 || contribution->mId <= 0) {
            continue;
        }
        const auto [link, inserted] = mReplies->try_emplace(contribution->mId, answered);
        if (inserted || link->second != answered) {
            link->second = answered;
            added = true;
        }
    }
    if (!added) {
        return;
    }
    MakeFolders(mFolder);
    if (writer != nullptr) {
        writer->Write(PathOf(kInReplyToFileName), FormatReplyLinks(*mReplies));
        return;
    }
    platform::AtomicFileWriter(PathOf(kInReplyToFileName)).Commit(FormatReplyLinks(*mReplies));
}

std::string StatusNotes::PathOf(std::string_view name) const {
    return mFolder + std::string(name);
}

std::string StatusNotes::ReadFile(std::string_view name) const {
    const std::string path = PathOf(name);
    return platform::PathExists(path) ? platform::ReadWholeFile(path) : std::string();
}

void StatusNotes::Report(std::string_view name, size_t skipped) const {
    if (skipped > 0 && mDiagnostics != nullptr) {
        mDiagnostics->WriteLine("Skipped " + std::to_string(skipped) + " damaged line" +
                                (skipped == 1 ? "" : "s") + " of " + EscapeControls(PathOf(name)));
    }
}

const std::set<int64_t>& StatusNotes::Deleted() {
    if (!mDeleted) {
        size_t skipped = 0;
        mDeleted = ParseDeletedIds(ReadFile(kDeletedFileName), &skipped);
        Report(kDeletedFileName, skipped);
    }
    return *mDeleted;
}

const std::map<int64_t, int64_t>& StatusNotes::Replies() {
    if (!mReplies) {
        size_t skipped = 0;
        mReplies = ParseReplyLinks(ReadFile(kInReplyToFileName), &skipped);
        Report(kInReplyToFileName, skipped);
    }
    return *mReplies;
}

StatusNotes& StatusNotesShelf::For(const std::string& folder, DiagnosticSink* diagnostics) {
    return mNotes.try_emplace(folder, folder, diagnostics).first->second;
}

}  // namespace twitter_api
