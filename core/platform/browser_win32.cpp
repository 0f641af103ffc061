#include <windows.h>

#include "platform/browser.h"

namespace platform {

std::optional<RegisteredCommand> ReadRegisteredHttpCommand() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // A zero-filled buffer: when the default value is absent, whatever size the read leaves
    // behind still yields an empty command.
    RegisteredCommand registered;
    registered.buffer.assign(kCommandBufferSize, '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(kCommandBufferSize);
    RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(registered.buffer.data()),
                     &size);
    RegCloseKey(key);
    registered.reportedSize = size;
    return registered;
}

bool StartDetached(const LaunchCommand& command) {
    std::string commandLine = CommandLine(command);
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
    return false;
}

}  // namespace platform
