#include "xwatch.h"

#include <poll.h>
#include <xcb/damage.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace program_bench {
namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Owned(T* reply) {
    return Reply<T>(reply, &std::free);
}

}  // namespace

XWatch::XWatch(const std::string& display) {
    mConnection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(mConnection)) {
        xcb_disconnect(mConnection);
        throw std::runtime_error("cannot open the display " + display);
    }
    mRoot = xcb_setup_roots_iterator(xcb_get_setup(mConnection)).data->root;
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(mConnection, &xcb_damage_id);
    const xcb_query_extension_reply_t* test = xcb_get_extension_data(mConnection, &xcb_test_id);
    if (!damage || !damage->present || !test || !test->present) {
        xcb_disconnect(mConnection);
        throw std::runtime_error("the display lacks the Damage or the XTest extension");
    }
    mDamageEvent = damage->first_event;
    Owned(xcb_damage_query_version_reply(mConnection, xcb_damage_query_version(mConnection, 1, 1),
                                         nullptr));
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(mConnection, mRoot, XCB_CW_EVENT_MASK, &events);

    const xcb_setup_t* setup = xcb_get_setup(mConnection);
    mFirstKeycode = setup->min_keycode;
    const auto mapping = Owned(xcb_get_keyboard_mapping_reply(
        mConnection,
        xcb_get_keyboard_mapping(mConnection, setup->min_keycode,
                                 static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1)),
        nullptr));
    mPerKeycode = mapping->keysyms_per_keycode;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    mKeysyms.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(mapping.get()));
    xcb_flush(mConnection);
}

XWatch::~XWatch() {
    xcb_disconnect(mConnection);
}

void XWatch::Reset() {
    HandleEvents(Clock::now());
    mDrawings.clear();
    mWatched.clear();
}

void XWatch::Watch(xcb_window_t window) {
    xcb_damage_create(mConnection, xcb_generate_id(mConnection), window,
                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    mWatched.emplace(window, 0);
    xcb_flush(mConnection);
}

void XWatch::HandleEvents(Clock::time_point deadline) {
    for (;;) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(mConnection)) {
            const auto event = Owned(raw);
            const Clock::time_point now = Clock::now();
            const uint8_t type = event->response_type & 0x7F;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(raw);
                if (created->parent == mRoot) {
                    Watch(created->window);
                }
            } else if (type == mDamageEvent + XCB_DAMAGE_NOTIFY) {
                const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(raw);
                const int area = damage->area.width * damage->area.height;
                mDrawings.push_back({now, damage->drawable, area});
                int& largest = mWatched[damage->drawable];
                largest = std::max(largest, area);
            }
        }
        if (xcb_connection_has_error(mConnection)) {
            throw std::runtime_error("the connection to the display broke");
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return;
        }
        pollfd watched{xcb_get_file_descriptor(mConnection), POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(left.count())) == 0) {
            return;
        }
    }
}

std::optional<Clock::time_point> XWatch::WaitForDrawing(Clock::time_point since, int minArea,
                                                        Clock::time_point deadline) {
    for (;;) {
        for (const Drawing& drawing : mDrawings) {
            if (drawing.when >= since && drawing.area >= minArea) {
                return drawing.when;
            }
        }
        if (Clock::now() >= deadline) {
            return std::nullopt;
        }
        HandleEvents(std::min(deadline, Clock::now() + std::chrono::milliseconds(20)));
    }
}

bool XWatch::QuietUntil(Clock::time_point deadline, int minArea) {
    const Clock::time_point since = Clock::now();
    HandleEvents(deadline);
    return std::none_of(mDrawings.begin(), mDrawings.end(), [&](const Drawing& drawing) {
        return drawing.when >= since && drawing.area >= minArea;
    });
}

uint8_t XWatch::KeycodeOf(uint32_t keysym) const {
    for (size_t i = 0; i < mKeysyms.size(); ++i) {
        if (mKeysyms[i] == keysym) {
            return static_cast<uint8_t>(mFirstKeycode + i / static_cast<size_t>(mPerKeycode));
        }
    }
    throw std::runtime_error("no key gives keysym " + std::to_string(keysym));
}

void XWatch::Focus() {
    const auto largest =
        std::max_element(mWatched.begin(), mWatched.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (largest == mWatched.end() || largest->second == 0) {
        throw std::runtime_error("no window has been drawn into");
    }
    xcb_set_input_focus(mConnection, XCB_INPUT_FOCUS_POINTER_ROOT, largest->first,
                        XCB_CURRENT_TIME);
    xcb_flush(mConnection);
}

void XWatch::Press(const std::vector<uint32_t>& keysyms) {
    for (const uint32_t keysym : keysyms) {
        xcb_test_fake_input(mConnection, XCB_KEY_PRESS, KeycodeOf(keysym), XCB_CURRENT_TIME,
                            XCB_NONE, 0, 0, 0);
    }
    for (auto keysym = keysyms.rbegin(); keysym != keysyms.rend(); ++keysym) {
        xcb_test_fake_input(mConnection, XCB_KEY_RELEASE, KeycodeOf(*keysym), XCB_CURRENT_TIME,
                            XCB_NONE, 0, 0, 0);
    }
    xcb_flush(mConnection);
}

}  // namespace program_bench
