#pragma once

// The window system that the view suite (tests/view/) records over in the Windows tests.

#include <string_view>

#include "front_ends/win32/win32_window_system.h"

namespace quorvane::testing {
// Which front end the view suite runs against, for the few behaviours they do not share yet.
inline constexpr std::string_view kFrontEnd = "win32";
using NativeWindowSystem = win32::Win32WindowSystem;
}  // namespace quorvane::testing
