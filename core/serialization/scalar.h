#pragma once

#include <type_traits>

namespace serialization {

// A value an archive holds as a 4- or 8-byte little-endian memory image: integers and enums,
// bools aside (one byte each).
template <class T>
concept ArchiveScalar = (std::is_integral_v<T> || std::is_enum_v<T>)&&!std::is_same_v<T, bool> &&
                        (sizeof(T) == 4 || sizeof(T) == 8);

}  // namespace serialization
