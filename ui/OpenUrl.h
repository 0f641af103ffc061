#pragma once

#include <string>

// Opens the address in the user's web browser: the program registered for http addresses is
// started with the URL as its one argument. Returns at once; a failure has no visible effect.
void OpenUrl(const std::string& url);
