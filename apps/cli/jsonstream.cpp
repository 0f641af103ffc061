#include "jsonstream.h"

#include <array>
#include <charconv>

#include "settings/usernameshowtype.h"
#include "utf8.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

void AppendEscaped(std::string& out, unsigned char byte) {
    switch (byte) {
        case '\b':
            out += "\\b";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\r':
            out += "\\r";
            return;
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
    }
    constexpr std::string_view kHex = "0123456789abcdef";
    out += "\\u00";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

bool NeedsEscape(unsigned char byte) {
    return byte < 0x20 || byte == '"' || byte == '\\';
}

void AppendNumber(std::string& out, int64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

void AppendUserNameShowType(std::string& out, int32_t value) {
    switch (value) {
        case DialogSetting::SCREENNAME:
            out += "\"SCREENNAME\"";
            return;
        case DialogSetting::NICKNAME:
            out += "\"NICKNAME\"";
            return;
    }
    AppendNumber(out, value);
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    size_t i = 0;
    while (i < text.size()) {
        size_t plain = i;
        while (plain < text.size() && static_cast<unsigned char>(text[plain]) < 0x80 &&
               !NeedsEscape(static_cast<unsigned char>(text[plain]))) {
            ++plain;
        }
        out.append(text.data() + i, plain - i);
        i = plain;
        if (i == text.size()) {
            break;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            AppendEscaped(out, byte);
            ++i;
            continue;
        }
        size_t valid = 0;
        const size_t length = Utf8SequenceLength(text.substr(i), &valid);
        if (length > 0) {
            out.append(text.data() + i, length);
            i += length;
        } else {
            out += kReplacement;
            i += valid > 0 ? valid : 1;
        }
    }
    out += '"';
}

void AppendContributionJson(std::string& out, const twitter_api::CContribution& c, int depth) {
    const std::string outer(static_cast<size_t>(2 * depth), ' ');
    const std::string inner = ",\n" + outer + "  \"";
    out += "{\n";
    out.append(inner, 2);
    out += "id\": ";
    AppendNumber(out, c.mId);
    const auto text = [&](std::string_view name, std::string_view value) {
        out += inner;
        out += name;
        out += "\": ";
        AppendJsonString(out, value);
    };
    const auto literal = [&](std::string_view name, std::string_view value) {
        out += inner;
        out += name;
        out += "\": ";
        out += value;
    };
    text("created_at", c.mCreatedAt);
    text("screen_name", c.mScreenName);
    text("name", c.mName);
    text("text", c.mText);
    literal("favorited", c.mFavorited ? "true" : "false");
    text("source", c.mSource);
    literal("is_read", c.mIsRead ? "true" : "false");
    out += inner;
    out += "text_position\": ";
    AppendNumber(out, c.mTextPosition);
    out += inner;
    out += "user_name_show_type\": ";
    AppendUserNameShowType(out, c.mUserNameShowType);
    out += '\n';
    out += outer;
    out += '}';
}

void AppendContributionMembers(std::string& out, const twitter_api::CContribution& c) {
    out += "\"id\":";
    AppendNumber(out, c.mId);
    const auto text = [&out](std::string_view name, std::string_view value) {
        out += name;
        AppendJsonString(out, value);
    };
    text(",\"created_at\":", c.mCreatedAt);
    text(",\"screen_name\":", c.mScreenName);
    text(",\"name\":", c.mName);
    text(",\"text\":", c.mText);
    out += c.mFavorited ? ",\"favorited\":true" : ",\"favorited\":false";
    text(",\"source\":", c.mSource);
    out += c.mIsRead ? ",\"is_read\":true" : ",\"is_read\":false";
    out += ",\"text_position\":";
    AppendNumber(out, c.mTextPosition);
    out += ",\"user_name_show_type\":";
    AppendUserNameShowType(out, c.mUserNameShowType);
}

void WriteDayListJson(const twitter_api::CContributionListOfDay& list, std::ostream& output) {
    constexpr size_t kFlushSize = size_t{1} << 16;
    std::string out = "{\n  \"date\": ";
    AppendJsonString(out, list.mDate);
    out += ",\n  \"contributions\": [";
    const char* separator = "\n    ";
    for (const auto& c : list.mContributions) {
        out += separator;
        separator = ",\n    ";
        AppendContributionJson(out, *c, 2);
        if (out.size() >= kFlushSize) {
            output.write(out.data(), static_cast<std::streamsize>(out.size()));
            out.clear();
        }
    }
    out += list.mContributions.empty() ? "]\n}\n" : "\n  ]\n}\n";
    output.write(out.data(), static_cast<std::streamsize>(out.size()));
}
