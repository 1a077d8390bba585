#pragma once

// The program-wide mouse pointer.
namespace platform {

// The busy pointer over every window of the program for as long as the object lives: the usual
// pointer comes back on every way out of a handler, early returns included.
class BusyPointer {
public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace platform
