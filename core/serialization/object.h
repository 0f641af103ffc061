#pragma once

#include <memory>

namespace serialization {

// The root of every archivable class: archives hold references to objects of this kind, and the
// class register finds an object's run-time class through it.
class Object {
  public:
    virtual ~Object() = default;
};

}  // namespace serialization
