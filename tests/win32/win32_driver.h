#pragma once

// The native view under a view suite driver, for the tests of what only it has.

#include "front_ends/win32/win32_view.h"
#include "view_driver.h"

namespace quorvane::testing {

// The view that `driver`, made by drive() in the Windows tests, drives.
win32::Win32View& native_view(ViewDriver& driver);

}  // namespace quorvane::testing
