#pragma once

#include <functional>

namespace quorvane {

// What a view reports that is not a control's own event.
struct ViewEvents {
  std::function<void()> unload;  // the window has closed, for whatever reason
};

}  // namespace quorvane
