#include "twitter_api/search/textfinder.h"

namespace twitter_api {
namespace {

constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        table[static_cast<size_t>(byte)] =
            static_cast<unsigned char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
    }
    return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

unsigned char Fold(char c) {
    return kFold[static_cast<unsigned char>(c)];
}

}  // namespace

CTextFinder::CTextFinder(std::string_view word) : mWord(word.size(), '\0') {
    for (size_t i = 0; i < word.size(); ++i) {
        mWord[i] = static_cast<char>(Fold(word[i]));
    }
    const auto length = static_cast<uint32_t>(mWord.size());
    mShift.fill(length == 0 ? 1 : length);
    for (size_t i = 0; i + 1 < mWord.size(); ++i) {
        const auto shift = static_cast<uint32_t>(mWord.size() - 1 - i);
        const auto byte = static_cast<unsigned char>(mWord[i]);
        mShift[byte] = shift;
        if (byte >= 'a' && byte <= 'z') {
            mShift[byte - 32u] = shift;
        }
    }
}

size_t CTextFinder::Find(std::string_view text, size_t from) const {
    const size_t length = mWord.size();
    if (length == 0) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    if (text.size() < length) {
        return std::string_view::npos;
    }
    const char* const data = text.data();
    const unsigned char last = static_cast<unsigned char>(mWord[length - 1]);
    const size_t end = text.size() - length;
    for (size_t at = from; at <= end;) {
        const unsigned char probe = static_cast<unsigned char>(data[at + length - 1]);
        if (kFold[probe] == last) {
            size_t i = 0;
            while (i + 1 < length && Fold(data[at + i]) == static_cast<unsigned char>(mWord[i])) {
                ++i;
            }
            if (i + 1 == length) {
                return at;
            }
        }
        at += mShift[probe];
    }
    return std::string_view::npos;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace twitter_api
