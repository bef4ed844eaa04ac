#pragma once

// The Qt view under a view suite driver, for the tests of what only its widgets show.

#include "front_ends/qt/qt_view.h"
#include "view_driver.h"

namespace quorvane::testing {

// The view that `driver`, made by drive() in the Qt tests, drives.
QtView& native_view(ViewDriver& driver);

}  // namespace quorvane::testing
