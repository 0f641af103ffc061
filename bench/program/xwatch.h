#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace program_bench {

using Clock = std::chrono::steady_clock;

// Watches an X display from outside the programs under test: every top-level window created on
// it is watched through the Damage extension, so that each drawing into it is seen with the time
// it was seen at, and keys are sent through the XTest extension as a user would type them.
class XWatch {
  public:
    // Throws std::runtime_error when the display cannot be opened or lacks Damage or XTest.
    explicit XWatch(const std::string& display);
    ~XWatch();
    XWatch(const XWatch&) = delete;
    XWatch& operator=(const XWatch&) = delete;

    // Forgets what was seen; windows created from now on are watched.
    void Reset();
    // The time of the first drawing seen after since that covers at least minArea pixels of one
    // rectangle; none when the deadline passes first.
    std::optional<Clock::time_point> WaitForDrawing(Clock::time_point since, int minArea,
                                                    Clock::time_point deadline);
    // Handles events until the deadline; true when nothing of at least minArea was drawn.
    bool QuietUntil(Clock::time_point deadline, int minArea);
    // Gives the keyboard to the largest window drawn into; the window may draw itself anew as it
    // becomes the active one.
    void Focus();
    // Presses the keys of the keysyms together and lets them go in the opposite order.
    void Press(const std::vector<uint32_t>& keysyms);

  private:
    struct Drawing {
        Clock::time_point when;
        xcb_window_t window;
        int area;
    };

    void HandleEvents(Clock::time_point deadline);
    void Watch(xcb_window_t window);
    uint8_t KeycodeOf(uint32_t keysym) const;

    xcb_connection_t* mConnection = nullptr;
    xcb_window_t mRoot = 0;
    uint8_t mDamageEvent = 0;                        // the Damage extension's first event code
    std::unordered_map<xcb_window_t, int> mWatched;  // window -> largest rectangle drawn
    std::vector<Drawing> mDrawings;
    std::vector<xcb_keysym_t> mKeysyms;  // by keycode - mFirstKeycode, mPerKeycode each
    uint8_t mFirstKeycode = 0;
    int mPerKeycode = 0;
};

}  // namespace program_bench
