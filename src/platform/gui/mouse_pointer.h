#pragma once

// The program-wide mouse pointer.
namespace platform {

inline constexpr int kDefaultPointer = 0;
inline constexpr int kBusyPointer = 11;

void SetMousePointer(int pointer);

// The busy pointer for as long as the object lives: the default pointer comes back on every way
// out of a handler, early returns included.
class BusyPointer {
public:
    BusyPointer() { SetMousePointer(kBusyPointer); }
    ~BusyPointer() { SetMousePointer(kDefaultPointer); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace platform
