#pragma once

// The program-wide mouse pointer.
namespace platform {

inline constexpr int kDefaultPointer = 0;
inline constexpr int kBusyPointer = 11;

void SetMousePointer(int pointer);
int MousePointer();

}  // namespace platform
