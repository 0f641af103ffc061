#include "xmltext.h"

#include <array>
#include <cstdio>

namespace standin {
namespace {

constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct SCalendarTime {
    std::chrono::year_month_day mDate;
    std::chrono::weekday mWeekday;
    std::chrono::hh_mm_ss<std::chrono::seconds> mClock;
};

SCalendarTime Split(Time time) {
    const auto day = std::chrono::floor<std::chrono::days>(time);
    return {std::chrono::year_month_day{day}, std::chrono::weekday{day},
            std::chrono::hh_mm_ss{time - day}};
}

}  // namespace

std::string XmlEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') {
                    escaped += c;
                }
        }
    }
    return escaped;
}

std::string ServiceTime(Time time) {
    const SCalendarTime t = Split(time);
    char text[40];
    std::snprintf(
        text, sizeof text, "%s %s %02u %02d:%02d:%02d +0000 %d", kWeekdays[t.mWeekday.c_encoding()],
        kMonths[static_cast<unsigned>(t.mDate.month()) - 1], static_cast<unsigned>(t.mDate.day()),
        static_cast<int>(t.mClock.hours().count()), static_cast<int>(t.mClock.minutes().count()),
        static_cast<int>(t.mClock.seconds().count()), static_cast<int>(t.mDate.year()));
    return text;
}

std::string AtomTime(Time time) {
    const SCalendarTime t = Split(time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(t.mDate.year()), static_cast<unsigned>(t.mDate.month()),
                  static_cast<unsigned>(t.mDate.day()), static_cast<int>(t.mClock.hours().count()),
                  static_cast<int>(t.mClock.minutes().count()),
                  static_cast<int>(t.mClock.seconds().count()));
    return text;
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        char32_t codePoint = 0;
        if (lead < 0x80) {
            length = 1;
            codePoint = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
        const bool overlong = codePoint < kSmallest[length];
        const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
        if (overlong || surrogate || codePoint > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

CXmlLines::CXmlLines() : CXmlLines("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {}

CXmlLines::CXmlLines(std::string_view declaration) : mText(std::string(declaration) + "\n") {}

void CXmlLines::Open(std::string_view name, std::string_view attributes) {
    OpenTag(name, attributes);
    mIndented.push_back(true);
    ++mDepth;
}

void CXmlLines::OpenArray(std::string_view name, std::string_view attributes) {
    OpenTag(name, attributes);
    mIndented.push_back(false);
}

void CXmlLines::Close(std::string_view name) {
    if (mIndented.back()) {
        --mDepth;
    }
    mIndented.pop_back();
    Raw("</" + std::string(name) + ">");
}

void CXmlLines::OpenTag(std::string_view name, std::string_view attributes) {
    std::string line = "<" + std::string(name);
    if (!attributes.empty()) {
        line += " " + std::string(attributes);
    }
    Raw(line + ">");
}

void CXmlLines::Element(std::string_view name, std::string_view text) {
    Escaped(name, XmlEscape(text));
}

void CXmlLines::Escaped(std::string_view name, std::string_view escapedText) {
    const std::string tag(name);
    Raw("<" + tag + ">" + std::string(escapedText) + "</" + tag + ">");
}

void CXmlLines::Empty(std::string_view name) {
    Raw("<" + std::string(name) + "/>");
}

void CXmlLines::Raw(std::string_view line) {
    mText.append(static_cast<size_t>(2 * mDepth), ' ');
    mText += line;
    mText += '\n';
}

}  // namespace standin
