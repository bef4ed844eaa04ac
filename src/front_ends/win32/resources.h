#ifndef QUORVANE_PLATFORM_WIN32_RESOURCES_H
#define QUORVANE_PLATFORM_WIN32_RESOURCES_H

// Resource numbers shared by the program's resource script and its code.
#define QUORVANE_ICON 1

#ifndef RC_INVOKED
namespace quorvane::win32 {
inline constexpr int kIconId = QUORVANE_ICON;
}  // namespace quorvane::win32
#endif

#endif
