#include "friendicadocuments.h"

#include <cstdio>

#include "xmltext.h"

namespace standin::friendica {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\"?>";
constexpr std::string_view kNamespaces =
    "xmlns=\"http://api.twitter.com\" xmlns:statusnet=\"http://status.net/schema/api/1/\" "
    "xmlns:friendica=\"http://friendi.ca/schema/api/1/\" "
    "xmlns:georss=\"http://www.georss.org/georss\"";
constexpr std::string_view kSiteUrl = "https://standin.example";
constexpr std::string_view kVersion = "2024.09-rc";

std::string BoolText(bool value) {
    return value ? "true" : "false";
}

// The escaping the serialiser's document leaves: "&" and "<" as entities, every character outside
// ASCII as a hexadecimal reference, since the declaration names no encoding. Line breaks become
// references too, so that every element stays on its line.
std::string Escape(std::string_view text) {
    std::string escaped;
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            if (text[at] == '&') {
                escaped += "&amp;";
            } else if (text[at] == '<') {
                escaped += "&lt;";
            } else if (text[at] == '\n' || text[at] == '\r') {
                escaped += text[at] == '\n' ? "&#xA;" : "&#xD;";
            } else if (lead >= 0x20 || text[at] == '\t') {
                escaped += text[at];
            }
            ++at;
            continue;
        }
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t codePoint = lead & (lead >= 0xF0 ? 0x07U : lead >= 0xE0 ? 0x0FU : 0x1FU);
        for (size_t k = 1; k < length && at + k < text.size(); ++k) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3FU);
        }
        char reference[16];
        std::snprintf(reference, sizeof reference, "&#x%X;", static_cast<unsigned>(codePoint));
        escaped += reference;
        at += length;
    }
    return escaped;
}

// Every value is trimmed; an empty one is an empty-element tag.
void Value(CXmlLines& xml, std::string_view name, std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        xml.Empty(name);
        return;
    }
    const size_t last = text.find_last_not_of(" \t\r\n");
    xml.Escaped(name, Escape(text.substr(first, last - first + 1)));
}

void WriteUser(CXmlLines& xml, std::string_view element, const SUser& user) {
    const std::string id = std::to_string(user.mId);
    const std::string profile = std::string(kSiteUrl) + "/profile/" + user.mScreenName;
    xml.Open(element);
    Value(xml, "id", id);
    Value(xml, "id_str", id);
    Value(xml, "name", user.mName);
    Value(xml, "screen_name", user.mScreenName);
    Value(xml, "location", user.mLocation.empty() ? "friendica" : user.mLocation);
    xml.Empty("derived");
    Value(xml, "url", profile);
    xml.Open("entities");
    xml.Open("url");
    xml.Empty("urls");
    xml.Close("url");
    xml.Open("description");
    xml.Empty("urls");
    xml.Close("description");
    xml.Close("entities");
    Value(xml, "description", user.mDescription);
    Value(xml, "protected", BoolText(user.mProtected));
    Value(xml, "verified", "true");
    Value(xml, "followers_count", std::to_string(user.mFollowersCount));
    Value(xml, "friends_count", std::to_string(user.mFriendsCount));
    Value(xml, "favourites_count", std::to_string(user.mFavouritesCount));
    Value(xml, "statuses_count", std::to_string(user.mStatusesCount));
    Value(xml, "created_at", ServiceTime(user.mCreatedAt));
    Value(xml, "profile_image_url", std::string(kSiteUrl) + "/photo/contact/48/" + id);
    Value(xml, "utc_offset", "0");
    Value(xml, "time_zone", "UTC");
    Value(xml, "following", "true");
    Value(xml, "statusnet:blocking", "false");
    Value(xml, "notifications", "false");
    Value(xml, "statusnet:profile_url", profile);
    xml.Close(element);
}

// A share is written as the shared post: its words and its author, with the one who shared it as
// the user and the owner.
void WriteStatus(CXmlLines& xml, const SStatusView& view, std::string_view attributes = {}) {
    const SStatus& status = view.mStatus;
    const SStatusView& post = view.mRepeated ? *view.mRepeated : view;
    const std::string id = std::to_string(status.mId);
    const std::string reply =
        status.mInReplyToStatusId == 0 ? std::string() : std::to_string(status.mInReplyToStatusId);
    const std::string replyUser =
        status.mInReplyToUserId == 0 ? std::string() : std::to_string(status.mInReplyToUserId);
    xml.Open("status", attributes);
    Value(xml, "text", post.mStatus.mText);
    Value(xml, "truncated", "false");
    Value(xml, "created_at", ServiceTime(status.mCreatedAt));
    Value(xml, "in_reply_to_status_id", reply);
    Value(xml, "in_reply_to_status_id_str", reply);
    Value(xml, "source", status.mSource);
    Value(xml, "id", id);
    Value(xml, "id_str", id);
    Value(xml, "in_reply_to_user_id", replyUser);
    Value(xml, "in_reply_to_user_id_str", replyUser);
    Value(xml, "in_reply_to_screen_name", status.mInReplyToScreenName);
    xml.Empty("geo");
    Value(xml, "favorited", BoolText(view.mFavorited));
    WriteUser(xml, "user", view.mUser);
    WriteUser(xml, "friendica:author", post.mUser);
    WriteUser(xml, "friendica:owner", view.mUser);
    Value(xml, "friendica:private", "false");
    xml.Escaped("statusnet:html", Escape(XmlEscape(post.mStatus.mText)));
    Value(xml, "statusnet:conversation_id", id);
    Value(xml, "external_url", std::string(kSiteUrl) + "/display/" + id);
    xml.Open("friendica:activities");
    xml.Empty("like");
    xml.Empty("dislike");
    xml.Close("friendica:activities");
    xml.Empty("friendica:title");
    xml.Escaped("friendica:html", Escape(XmlEscape(post.mStatus.mText)));
    Value(xml, "friendica:comments", "0");
    xml.Empty("attachments");
    xml.Empty("entities");
    xml.Empty("extended_entities");
    xml.Close("status");
}

}  // namespace

std::string StatusesDocument(const std::vector<SStatusView>& statuses) {
    CXmlLines xml(kDeclaration);
    if (statuses.empty()) {
        xml.Raw("<statuses " + std::string(kNamespaces) + "/>");
        return xml.Text();
    }
    xml.Open("statuses", kNamespaces);
    for (const SStatusView& status : statuses) {
        WriteStatus(xml, status);
    }
    xml.Close("statuses");
    return xml.Text();
}

std::string StatusDocument(const SStatusView& status) {
    CXmlLines xml(kDeclaration);
    WriteStatus(xml, status, kNamespaces);
    return xml.Text();
}

std::string DirectMessagesDocument(const std::vector<SDirectMessageView>& messages) {
    CXmlLines xml(kDeclaration);
    if (messages.empty()) {
        xml.Raw("<direct-messages " + std::string(kNamespaces) + "/>");
        return xml.Text();
    }
    xml.Open("direct-messages", kNamespaces);
    for (const SDirectMessageView& view : messages) {
        const SDirectMessage& message = view.mMessage;
        xml.Open("direct_message");
        Value(xml, "id", std::to_string(message.mId));
        Value(xml, "sender_id", std::to_string(message.mSenderId));
        Value(xml, "text", message.mText);
        Value(xml, "recipient_id", std::to_string(message.mRecipientId));
        Value(xml, "created_at", ServiceTime(message.mCreatedAt));
        Value(xml, "sender_screen_name", view.mSender.mScreenName);
        Value(xml, "recipient_screen_name", view.mRecipient.mScreenName);
        WriteUser(xml, "sender", view.mSender);
        WriteUser(xml, "recipient", view.mRecipient);
        xml.Empty("title");
        Value(xml, "friendica:seen", "false");
        xml.Empty("friendica:parent_uri");
        xml.Close("direct_message");
    }
    xml.Close("direct-messages");
    return xml.Text();
}

std::string CirclesDocument(const std::vector<SListView>& circles) {
    CXmlLines xml(kDeclaration);
    xml.Open("group_update", kNamespaces);
    for (const SListView& circle : circles) {
        xml.Open("group");
        Value(xml, "name", circle.mList.mName);
        Value(xml, "gid", std::to_string(circle.mList.mId));
        xml.Open("users");
        WriteUser(xml, "user", circle.mOwner);
        xml.Close("users");
        xml.Close("group");
    }
    xml.Close("group_update");
    return xml.Text();
}

std::string SavedSearchesDocument(const std::vector<SSavedSearch>& searches) {
    CXmlLines xml(kDeclaration);
    xml.Open("terms", kNamespaces);
    for (const SSavedSearch& search : searches) {
        const std::string id = std::to_string(search.mId);
        xml.Open("terms");
        Value(xml, "created_at", ServiceTime(search.mCreatedAt));
        Value(xml, "id", id);
        Value(xml, "id_str", id);
        Value(xml, "name", search.mQuery);
        xml.Empty("position");
        Value(xml, "query", search.mQuery);
        xml.Close("terms");
    }
    xml.Close("terms");
    return xml.Text();
}

std::string ConfigDocument(int32_t textLimit) {
    CXmlLines xml(kDeclaration);
    xml.Open("config");
    xml.Open("site");
    Value(xml, "name", "Stand-in Friendica");
    Value(xml, "server", "standin.example");
    xml.Empty("path");
    Value(xml, "fancy", "true");
    Value(xml, "language", "en");
    Value(xml, "timezone", "UTC");
    Value(xml, "closed", "false");
    Value(xml, "inviteonly", "false");
    Value(xml, "private", "false");
    Value(xml, "textlimit", std::to_string(textLimit));
    Value(xml, "ssl", "always");
    xml.Open("friendica");
    Value(xml, "FRIENDICA_PLATFORM", "Friendica");
    Value(xml, "FRIENDICA_VERSION", kVersion);
    Value(xml, "DB_UPDATE_VERSION", "1575");
    xml.Close("friendica");
    xml.Close("site");
    xml.Close("config");
    return xml.Text();
}

std::string ErrorPage(std::string_view title, std::string_view message) {
    const std::string t = XmlEscape(title);
    return "<html>\n\t<head>\n\t\t<title>" + t + "</title>\n\t</head>\n\t<body>\n\t\t<h1>" + t +
           "</h1>\n\t\t<p>" + XmlEscape(message) +
           "</p>\n\t\t\t\t<pre>Request: 0123456789abc</pre>\n\t\t</body>\n</html>\n";
}

}  // namespace standin::friendica
