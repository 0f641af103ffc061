#include "gnusocialdocuments.h"

#include <chrono>
#include <cstdio>

#include "xmltext.h"

namespace standin::gnusocial {
namespace {

constexpr std::string_view kSite = "standin.example";
constexpr std::string_view kSiteUrl = "http://standin.example";
constexpr std::string_view kStatusnet = "xmlns:statusnet=\"http://status.net/schema/api/1/\"";
constexpr std::string_view kVersion = "1.20.9";

std::string BoolText(bool value) {
    return value ? "true" : "false";
}

std::string IdText(int64_t id) {
    return id == 0 ? std::string() : std::to_string(id);
}

// "2020-06-12", the day a tag URI carries.
std::string TagDate(Time time) {
    const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(time)};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

// "2020-06-09T09:05:47+00:00", the W3C form of the feed's times.
std::string W3cTime(Time time) {
    std::string text = AtomTime(time);
    text.pop_back();  // the "Z"
    return text + "+00:00";
}

void WriteUser(CXmlLines& xml, std::string_view element, const SUser& user) {
    const std::string id = std::to_string(user.mId);
    xml.Open(element);
    xml.Element("id", id);
    xml.Element("name", user.mName);
    xml.Element("screen_name", user.mScreenName);
    xml.Element("location", user.mLocation);
    xml.Element("description", user.mDescription);
    xml.Element("profile_image_url", std::string(kSiteUrl) + "/avatar/" + id + "-48.png");
    xml.Element("url", user.mUrl);
    xml.Element("protected", BoolText(user.mProtected));
    xml.Element("followers_count", std::to_string(user.mFollowersCount));
    xml.Element("friends_count", std::to_string(user.mFriendsCount));
    xml.Element("created_at", ServiceTime(user.mCreatedAt));
    xml.Element("utc_offset", "0");
    xml.Element("time_zone", "UTC");
    xml.Element("statuses_count", std::to_string(user.mStatusesCount));
    xml.Element("following", "true");
    xml.Element("statusnet:blocking", "false");
    xml.Element("notifications", "false");
    xml.Element("statusnet:profile_url", std::string(kSiteUrl) + "/" + user.mScreenName);
    xml.Element("favourites_count", std::to_string(user.mFavouritesCount));
    xml.Close(element);
}

// A repeat's own text names whom it repeats, as GNU social writes it.
std::string TextOf(const SStatusView& view) {
    if (!view.mRepeated) {
        return view.mStatus.mText;
    }
    return "RT @" + view.mRepeated->mUser.mScreenName + " " + view.mRepeated->mStatus.mText;
}

void WriteStatus(CXmlLines& xml, std::string_view element, const SStatusView& view,
                 std::string_view attributes = {}) {
    const SStatus& status = view.mStatus;
    const std::string id = std::to_string(status.mId);
    const std::string text = TextOf(view);
    xml.Open(element, attributes);
    xml.Element("text", text);
    xml.Element("truncated", "false");
    xml.Element("created_at", ServiceTime(status.mCreatedAt));
    xml.Element("in_reply_to_status_id", IdText(status.mInReplyToStatusId));
    xml.Element("uri", "tag:" + std::string(kSite) + "," + TagDate(status.mCreatedAt) +
                           ":noticeId=" + id + ":objectType=note");
    xml.Element("source", status.mSource);
    xml.Element("source_link", "");
    xml.Element("id", id);
    xml.Element("in_reply_to_user_id", IdText(status.mInReplyToUserId));
    xml.Element("in_reply_to_screen_name", status.mInReplyToScreenName);
    xml.Element("geo", "");
    WriteUser(xml, "user", view.mUser);
    xml.Element("statusnet:html", XmlEscape(text));
    xml.Element("statusnet:conversation_id", id);
    xml.Element("favorited", BoolText(view.mFavorited));
    xml.Element("repeated", "false");
    if (view.mRepeated) {
        WriteStatus(xml, "retweeted_status", *view.mRepeated);
    }
    xml.Close(element);
}

void WriteStatuses(CXmlLines& xml, const std::vector<SStatusView>& statuses,
                   std::string_view attributes) {
    xml.Open("statuses", attributes);
    for (const SStatusView& status : statuses) {
        WriteStatus(xml, "status", status);
    }
    xml.Close("statuses");
}

void WriteCursors(CXmlLines& xml) {
    xml.Element("next_cursor", "0");
    xml.Element("previous_cursor", "0");
}

void WriteList(CXmlLines& xml, const SListView& view) {
    const SList& list = view.mList;
    xml.Open("list");
    xml.Element("id", std::to_string(list.mId));
    xml.Element("name", list.mSlug);
    xml.Element("full_name", "@" + view.mOwner.mScreenName + "/" + list.mSlug);
    xml.Element("slug", list.mSlug);
    xml.Element("description", list.mDescription);
    xml.Element("subscriber_count", std::to_string(list.mSubscribers.size()));
    xml.Element("member_count", std::to_string(list.mMembers.size()));
    xml.Element("uri", std::string(kSiteUrl) + "/user/" + std::to_string(list.mOwnerId) +
                           "/profiletag/" + std::to_string(list.mId) + "/id");
    xml.Element("following", BoolText(view.mFollowing));
    xml.Element("mode", list.mPrivate ? "private" : "public");
    WriteUser(xml, "user", view.mOwner);
    xml.Close("list");
}

void WriteEntry(CXmlLines& xml, const SStatusView& view, Time now) {
    const SStatus& status = view.mStatus;
    const std::string id = std::to_string(status.mId);
    xml.Open("entry");
    xml.Element("id", "tag:" + std::string(kSite) + "," + TagDate(now) + ":" + id);
    xml.Element("published", W3cTime(status.mCreatedAt));
    xml.Raw("<link type=\"text/html\" rel=\"alternate\" href=\"" + std::string(kSiteUrl) +
            "/notice/" + id + "\"/>");
    xml.Element("title", status.mText);
    xml.Raw("<content type=\"html\">" + XmlEscape(XmlEscape(status.mText)) + "</content>");
    xml.Element("updated", W3cTime(status.mCreatedAt));
    xml.Element("twitter:source", status.mSource);
    xml.Element("twitter:source_link", "");
    xml.Open("author");
    const SUser& user = view.mUser;
    xml.Element("name",
                user.mName.empty() ? user.mScreenName : user.mScreenName + " (" + user.mName + ")");
    xml.Element("uri", std::string(kSiteUrl) + "/user/" + std::to_string(user.mId));
    xml.Close("author");
    xml.Close("entry");
}

}  // namespace

std::string StatusesDocument(const std::vector<SStatusView>& statuses) {
    CXmlLines xml;
    WriteStatuses(xml, statuses, "type=\"array\" " + std::string(kStatusnet));
    return xml.Text();
}

std::string ListStatusesDocument(const std::vector<SStatusView>& statuses) {
    CXmlLines xml;
    xml.Open("statuses_list", kStatusnet);
    WriteStatuses(xml, statuses, "type=\"array\"");
    WriteCursors(xml);
    xml.Close("statuses_list");
    return xml.Text();
}

std::string StatusDocument(const SStatusView& status) {
    CXmlLines xml;
    WriteStatus(xml, "status", status, kStatusnet);
    return xml.Text();
}

std::string DirectMessagesDocument(const std::vector<SDirectMessageView>& messages) {
    CXmlLines xml;
    xml.Open("direct-messages", "type=\"array\" " + std::string(kStatusnet));
    for (const SDirectMessageView& view : messages) {
        const SDirectMessage& message = view.mMessage;
        xml.Open("direct_message");
        xml.Element("id", std::to_string(message.mId));
        xml.Element("sender_id", std::to_string(message.mSenderId));
        xml.Element("text", message.mText);
        xml.Element("recipient_id", std::to_string(message.mRecipientId));
        xml.Element("created_at", ServiceTime(message.mCreatedAt));
        xml.Element("sender_screen_name", view.mSender.mScreenName);
        xml.Element("recipient_screen_name", view.mRecipient.mScreenName);
        WriteUser(xml, "sender", view.mSender);
        WriteUser(xml, "recipient", view.mRecipient);
        xml.Close("direct_message");
    }
    xml.Close("direct-messages");
    return xml.Text();
}

// The root declares no namespace, though the users in it carry statusnet elements: GNU social
// writes it so.
std::string ListsDocument(const std::vector<SListView>& lists) {
    CXmlLines xml;
    xml.Open("lists_list");
    xml.Open("lists", "type=\"array\"");
    for (const SListView& list : lists) {
        WriteList(xml, list);
    }
    xml.Close("lists");
    WriteCursors(xml);
    xml.Close("lists_list");
    return xml.Text();
}

std::string SearchFeedDocument(std::string_view query, const std::vector<SStatusView>& results,
                               Time now) {
    CXmlLines xml;
    xml.Open("feed",
             "xmlns=\"http://www.w3.org/2005/Atom\" xmlns:twitter=\"http://api.twitter.com/\" "
             "xml:lang=\"en-US\"");
    xml.Element("id",
                "tag:" + std::string(kSite) + "," + TagDate(now) + ":search/" + std::string(kSite));
    xml.Element("title", std::string(query) + " - Stand-in Social Search");
    xml.Element("updated", W3cTime(now));
    for (const SStatusView& result : results) {
        WriteEntry(xml, result, now);
    }
    xml.Close("feed");
    return xml.Text();
}

std::string ErrorDocument(std::string_view request, std::string_view message) {
    CXmlLines xml;
    xml.Open("hash");
    xml.Element("error", message);
    xml.Element("request", request);
    xml.Close("hash");
    return xml.Text();
}

std::string ConfigDocument(int32_t textLimit) {
    CXmlLines xml;
    xml.Open("config");
    xml.Open("site");
    xml.Element("name", "Stand-in Social");
    xml.Element("server", kSite);
    xml.Element("path", "");
    xml.Element("fancy", "true");
    xml.Element("language", "en");
    xml.Element("timezone", "UTC");
    xml.Element("closed", "false");
    xml.Element("inviteonly", "true");
    xml.Element("private", "false");
    xml.Element("textlimit", std::to_string(textLimit));
    xml.Element("ssl", "never");
    xml.Close("site");
    xml.Open("notice");
    xml.Element("contentlimit", "");
    xml.Close("notice");
    xml.Open("integration");
    xml.Element("source", "StatusNet");
    xml.Close("integration");
    xml.Close("config");
    return xml.Text();
}

std::string VersionDocument() {
    CXmlLines xml;
    xml.Element("version", kVersion);
    return xml.Text();
}

std::string NotFoundPage() {
    return "<!DOCTYPE html>\n<html>\n<head><title>Page not found - Stand-in Social</title></head>\n"
           "<body><h1>Page not found</h1><p>Page not found.</p></body>\n</html>\n";
}

}  // namespace standin::gnusocial
