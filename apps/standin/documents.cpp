#include "documents.h"

#include <cctype>
#include <cstdio>

#include "xmltext.h"

namespace standin {
namespace {

std::string BoolText(bool value) {
    return value ? "true" : "false";
}

// 0 stands for "none", which the service wrote as an empty element.
std::string IdText(int64_t id) {
    return id == 0 ? std::string() : std::to_string(id);
}

std::string ProfileImageUrl(const SUser& user) {
    return "http://a0.twimg.com/profile_images/" + std::to_string(user.mId) + "/" +
           user.mScreenName + "_normal.png";
}

std::string PercentEncode(std::string_view text) {
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += c;
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", byte);
            encoded += escape;
        }
    }
    return encoded;
}

void WriteUser(CXmlLines& xml, std::string_view element, const SUser& user) {
    xml.Open(element);
    xml.Element("id", std::to_string(user.mId));
    xml.Element("name", user.mName);
    xml.Element("screen_name", user.mScreenName);
    xml.Element("location", user.mLocation);
    xml.Element("description", user.mDescription);
    xml.Element("profile_image_url", ProfileImageUrl(user));
    xml.Element("url", user.mUrl);
    xml.Element("protected", BoolText(user.mProtected));
    xml.Element("followers_count", std::to_string(user.mFollowersCount));
    xml.Element("friends_count", std::to_string(user.mFriendsCount));
    xml.Element("created_at", ServiceTime(user.mCreatedAt));
    xml.Element("favourites_count", std::to_string(user.mFavouritesCount));
    xml.Element("statuses_count", std::to_string(user.mStatusesCount));
    xml.Close(element);
}

void WriteStatus(CXmlLines& xml, const SStatusView& view) {
    const SStatus& status = view.mStatus;
    xml.Open("status");
    xml.Element("created_at", ServiceTime(status.mCreatedAt));
    xml.Element("id", std::to_string(status.mId));
    xml.Element("text", status.mText);
    xml.Element("source", status.mSource);
    xml.Element("truncated", "false");
    xml.Element("in_reply_to_status_id", IdText(status.mInReplyToStatusId));
    xml.Element("in_reply_to_user_id", IdText(status.mInReplyToUserId));
    xml.Element("favorited", BoolText(view.mFavorited));
    xml.Element("in_reply_to_screen_name", status.mInReplyToScreenName);
    WriteUser(xml, "user", view.mUser);
    xml.Close("status");
}

void WriteDirectMessage(CXmlLines& xml, const SDirectMessageView& view) {
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

void WriteList(CXmlLines& xml, const SListView& view) {
    const SList& list = view.mList;
    const std::string path = "/" + view.mOwner.mScreenName + "/" + list.mSlug;
    xml.Open("list");
    xml.Element("id", std::to_string(list.mId));
    xml.Element("name", list.mName);
    xml.Element("full_name", "@" + path.substr(1));
    xml.Element("slug", list.mSlug);
    xml.Element("description", list.mDescription);
    xml.Element("subscriber_count", std::to_string(list.mSubscribers.size()));
    xml.Element("member_count", std::to_string(list.mMembers.size()));
    xml.Element("uri", path);
    xml.Element("following", BoolText(view.mFollowing));
    xml.Element("mode", list.mPrivate ? "private" : "public");
    WriteUser(xml, "user", view.mOwner);
    xml.Close("list");
}

void WriteEntry(CXmlLines& xml, const SStatusView& view) {
    const SStatus& status = view.mStatus;
    const std::string profile = "http://twitter.com/" + view.mUser.mScreenName;
    xml.Open("entry");
    xml.Element("id", "tag:search.twitter.com,2005:" + std::to_string(status.mId));
    xml.Element("published", AtomTime(status.mCreatedAt));
    xml.Raw("<link type=\"text/html\" rel=\"alternate\" href=\"" +
            XmlEscape(profile + "/statuses/" + std::to_string(status.mId)) + "\"/>");
    xml.Element("title", status.mText);
    xml.Raw("<content type=\"html\">" + XmlEscape(XmlEscape(status.mText)) + "</content>");
    xml.Element("updated", AtomTime(status.mCreatedAt));
    xml.Raw("<link type=\"image/png\" rel=\"image\" href=\"" +
            XmlEscape(ProfileImageUrl(view.mUser)) + "\"/>");
    xml.Element("twitter:source", status.mSource);
    xml.Open("author");
    xml.Element("name", view.mUser.mScreenName + " (" + view.mUser.mName + ")");
    xml.Element("uri", profile);
    xml.Close("author");
    xml.Close("entry");
}

}  // namespace

std::string StatusesDocument(const std::vector<SStatusView>& statuses) {
    CXmlLines xml;
    xml.OpenArray("statuses", "type=\"array\"");
    for (const SStatusView& status : statuses) {
        WriteStatus(xml, status);
    }
    xml.Close("statuses");
    return xml.Text();
}

std::string StatusDocument(const SStatusView& status) {
    CXmlLines xml;
    WriteStatus(xml, status);
    return xml.Text();
}

std::string DirectMessagesDocument(const std::vector<SDirectMessageView>& messages) {
    CXmlLines xml;
    xml.OpenArray("direct-messages", "type=\"array\"");
    for (const SDirectMessageView& message : messages) {
        WriteDirectMessage(xml, message);
    }
    xml.Close("direct-messages");
    return xml.Text();
}

std::string DirectMessageDocument(const SDirectMessageView& message) {
    CXmlLines xml;
    WriteDirectMessage(xml, message);
    return xml.Text();
}

std::string ListsDocument(const std::vector<SListView>& lists) {
    CXmlLines xml;
    xml.OpenArray("lists_list");
    xml.OpenArray("lists", "type=\"array\"");
    for (const SListView& list : lists) {
        WriteList(xml, list);
    }
    xml.Close("lists");
    xml.Element("next_cursor", "0");
    xml.Element("previous_cursor", "0");
    xml.Close("lists_list");
    return xml.Text();
}

std::string SavedSearchesDocument(const std::vector<SSavedSearch>& searches) {
    CXmlLines xml;
    xml.OpenArray("saved_searches", "type=\"array\"");
    for (const SSavedSearch& search : searches) {
        xml.Open("saved_search");
        xml.Element("id", std::to_string(search.mId));
        xml.Element("name", search.mQuery);
        xml.Element("query", search.mQuery);
        xml.Element("position", "");
        xml.Element("created_at", ServiceTime(search.mCreatedAt));
        xml.Close("saved_search");
    }
    xml.Close("saved_searches");
    return xml.Text();
}

std::string SearchFeedDocument(std::string_view query, SPage page,
                               const std::vector<SStatusView>& results, Time updated) {
    const std::string search = "http://search.twitter.com/search";
    const std::string encoded = PercentEncode(query);
    CXmlLines xml;
    xml.Open("feed",
             "xmlns:google=\"http://base.google.com/ns/1.0\" xml:lang=\"en-US\" "
             "xmlns:openSearch=\"http://a9.com/-/spec/opensearch/1.1/\" "
             "xmlns=\"http://www.w3.org/2005/Atom\" xmlns:twitter=\"http://api.twitter.com/\"");
    xml.Element("id", "tag:search.twitter.com,2005:search/" + std::string(query));
    xml.Raw("<link type=\"text/html\" rel=\"alternate\" href=\"" + search + "?q=" + encoded +
            "\"/>");
    xml.Raw("<link type=\"application/atom+xml\" rel=\"self\" href=\"" + search +
            ".atom?q=" + encoded + "\"/>");
    xml.Element("title", std::string(query) + " - Twitter Search");
    xml.Element("updated", AtomTime(updated));
    xml.Element("openSearch:itemsPerPage", std::to_string(page.mCount));
    if (static_cast<int32_t>(results.size()) == page.mCount) {
        xml.Raw("<link type=\"application/atom+xml\" rel=\"next\" href=\"" + search +
                ".atom?page=" + std::to_string(page.mPage + 1) + "&amp;q=" + encoded + "\"/>");
    }
    for (const SStatusView& result : results) {
        WriteEntry(xml, result);
    }
    xml.Close("feed");
    return xml.Text();
}

std::string ErrorDocument(std::string_view request, std::string_view message) {
    CXmlLines xml;
    xml.Open("hash");
    xml.Element("request", request);
    xml.Element("error", message);
    xml.Close("hash");
    return xml.Text();
}

}  // namespace standin
