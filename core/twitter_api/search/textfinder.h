#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace twitter_api {

// Finds a word in UTF-8 texts, ASCII letters without regard to case and every other byte exactly.
// Bytes of multi-byte sequences are never ASCII, so a byte-wise search finds exactly the code
// point sequences, Japanese words inside sentences included. The search skips ahead by a table
// of the word's bytes (Horspool), since most texts do not hold a rare word at all.
class CTextFinder {
  public:
    explicit CTextFinder(std::string_view word);

    // The byte offset of the first occurrence at or after from, or npos.
    size_t Find(std::string_view text, size_t from = 0) const;
    bool In(std::string_view text) const { return Find(text) != std::string_view::npos; }
    size_t size() const { return mWord.size(); }

  private:
    std::string mWord;  // ASCII letters lower case
    std::array<uint32_t, 256> mShift{};
};

// Equal texts, ASCII letters without regard to case.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace twitter_api
