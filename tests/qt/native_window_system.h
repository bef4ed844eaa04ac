#pragma once

// The window system that the view suite (tests/view/) records over in the Qt tests.

#include <string_view>

#include "front_ends/qt/qt_window_system.h"

namespace quorvane::testing {
// Which front end the view suite runs against, for the few behaviours they do not share yet.
inline constexpr std::string_view kFrontEnd = "qt";
using NativeWindowSystem = QtWindowSystem;
}  // namespace quorvane::testing
