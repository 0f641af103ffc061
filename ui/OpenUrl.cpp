#include "OpenUrl.h"

#include "platform/browser.h"

void OpenUrl(const std::string& url) {
    const auto registered = platform::ReadRegisteredHttpCommand();
    if (!registered) {
        return;
    }
    if (const auto launch = platform::BuildLaunchCommand(*registered, url)) {
        platform::StartDetached(*launch);
    }
}
