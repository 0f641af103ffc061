#pragma once

#include <string>

// The address as the browser is given it: a link written without a scheme ("www.") gets
// "http://" in front, since the desktop's opener would take a bare name for a file.
std::string AddressForBrowser(const std::string& url);

// Opens the address in the user's web browser: the program registered for http addresses is
// started with the URL as its one argument. Returns at once, without waiting for the browser;
// false when no browser is registered or it could not be started.
bool OpenUrl(const std::string& url);
