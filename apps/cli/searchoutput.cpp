#include "searchoutput.h"

#include "jsonstream.h"
#include "twitter_api/search/query.h"
#include "utf8.h"

namespace {

std::string KindsText(const twitter_api::SSearchHit& hit, std::string_view separator) {
    std::string kinds;
    for (const twitter_api::ETabType kind : hit.mKinds) {
        if (!kinds.empty()) {
            kinds += separator;
        }
        kinds += twitter_api::KindName(kind);
    }
    return kinds;
}

void AppendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        AppendValidUtf8(out, text);
        return;
    }
    out += '"';
    for (size_t start = 0;;) {
        const size_t quote = text.find('"', start);
        AppendValidUtf8(out, text.substr(start, quote - start));
        if (quote == std::string_view::npos) {
            break;
        }
        out += "\"\"";
        start = quote + 1;
    }
    out += '"';
}

}  // namespace

std::string DayText(std::string_view dayKey) {
    if (dayKey.size() != 8) {
        return std::string(dayKey);
    }
    return std::string(dayKey.substr(0, 4)) + "-" + std::string(dayKey.substr(4, 2)) + "-" +
           std::string(dayKey.substr(6, 2));
}

void AppendHitJsonLine(std::string& out, const twitter_api::SSearchHit& hit) {
    out += '{';
    AppendContributionMembers(out, *hit.mEntry);
    out += ",\"day\":\"";
    out += DayText(hit.mDayKey);
    out += "\",\"tabs\":[";
    for (size_t i = 0; i < hit.mKinds.size(); ++i) {
        out += i == 0 ? "\"" : ",\"";
        out += twitter_api::KindName(hit.mKinds[i]);
        out += '"';
    }
    out += "]}\n";
}

void AppendHitCsvRecord(std::string& out, const twitter_api::SSearchHit& hit) {
    const twitter_api::CContribution& c = *hit.mEntry;
    out += std::to_string(c.mId);
    out += ',';
    out += DayText(hit.mDayKey);
    out += ',';
    out += KindsText(hit, "|");
    for (const std::string_view text :
         {c.mCreatedAt.view(), c.mScreenName.view(), c.mName.view(), c.mText.view()}) {
        out += ',';
        AppendCsvField(out, text);
    }
    out += c.mFavorited ? ",true" : ",false";
    out += c.mIsRead ? ",true\r\n" : ",false\r\n";
}
