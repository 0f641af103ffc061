#pragma once

#include <string>
#include <string_view>

// A text that came from outside (a host, a path, a file's content) made safe to quote in a message:
// each control byte is written as an escape ("\r", "\n", "\t", or "\x" and two hexadecimal digits),
// so that it can neither break a diagnostic line nor steer the terminal. Other bytes stay.
std::string EscapeControls(std::string_view text);
