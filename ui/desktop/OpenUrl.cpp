#include "desktop/OpenUrl.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/browser.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::string AddressForBrowser(const std::string& url) {
    return StartsWithNoCase(url, "www.") ? "http://" + url : url;
}

bool OpenUrl(const std::string& url) {
    const auto registered = platform::ReadRegisteredHttpCommand();
    if (!registered) {
        return false;
    }
    const auto launch = platform::BuildLaunchCommand(*registered, AddressForBrowser(url));
    return launch && platform::StartDetached(*launch);
}
