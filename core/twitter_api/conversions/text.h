#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace twitter_api {

// Replaces each "&#DIGITS;" by its character in UTF-8. A surrogate pair written as two references
// in a row is the one character it encodes; a lone surrogate gives U+FFFD. A "&#" without a later
// ";" ends the work, the rest copied unchanged; "&#;" yields nothing. Digits that are not a decimal
// number throw the conversion Exception of ToInt32; the value 0 throws Exception "Enforcement
// failed".
std::string DecodeCharacterReferences(std::string_view text);

// UTF-8 of a code point; negative values, surrogates and values above 0x10FFFF give U+FFFD.
std::string CodePointToUtf8(int32_t codePoint);

// Percent-encodes UTF-8 text for a query value, keeping letters, digits, "-_.!~*'()" and
// "/?:@$,"; "&", ";", "=", "+" and "#" are encoded, so that the text stays one value.
// Invalid UTF-8 (stray or missing continuation bytes, overlong forms, surrogates, code points
// above U+10FFFF) throws Exception "Invalid UTF-8 sequence".
std::string UriEncode(std::string_view text);

// Code points of the UTF-8 text (the bytes that do not continue a sequence), each CR LF counted
// once.
int32_t GetTextLength(std::string_view text);

}  // namespace twitter_api
