#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The number of bytes of the well-formed UTF-8 sequence at the start of text (not empty), or 0
// when it is not one; *valid gets how many of its leading bytes fit a sequence, so that decoding
// resumes at the first byte that does not.
size_t Utf8SequenceLength(std::string_view text, size_t* valid);

// Appends text with each ill-formed part replaced by U+FFFD, as the JSON forms write it.
void AppendValidUtf8(std::string& out, std::string_view text);
