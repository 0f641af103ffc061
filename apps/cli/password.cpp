#include "password.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "common/errors.h"

namespace {

// Turns echo off for as long as it lives.
class CEchoOff {
  public:
    CEchoOff() {
        mActive = ::tcgetattr(STDIN_FILENO, &mSaved) == 0;
        if (mActive) {
            termios quiet = mSaved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
    }
    ~CEchoOff() {
        if (mActive) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &mSaved);
        }
    }
    CEchoOff(const CEchoOff&) = delete;
    CEchoOff& operator=(const CEchoOff&) = delete;

  private:
    termios mSaved{};
    bool mActive = false;
};

std::string ReadLine() {
    std::string line;
    if (!std::getline(std::cin, line) && line.empty()) {
        throw Exception("No password given");
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace

std::string ReadPassword() {
    if (::isatty(STDIN_FILENO) == 0) {
        return ReadLine();
    }
    std::cerr << "Password: " << std::flush;
    std::string password;
    {
        const CEchoOff echoOff;
        password = ReadLine();
    }
    std::cerr << std::endl;
    return password;
}
