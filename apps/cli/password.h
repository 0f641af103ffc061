#pragma once

#include <string>

// The password for "account set NAME" without one on the command line, so it need not sit in the
// shell's history: typed at the terminal without echo, or the first line of standard input when
// that is no terminal. Throws Exception when there is nothing to read.
std::string ReadPassword();
