#pragma once

// The keyboard's state at the moment of asking, not taken from an event: marking as read checks
// the Control key when the click is handled.
class Keyboard {
  public:
    virtual ~Keyboard() = default;
    virtual bool ControlHeld() const = 0;
};

class SystemKeyboard final : public Keyboard {
  public:
    bool ControlHeld() const override;
};
