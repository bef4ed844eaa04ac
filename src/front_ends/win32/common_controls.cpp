#include "front_ends/win32/common_controls.h"

#include <stdexcept>
#include <string>

namespace quorvane::win32 {

const CommonControls& common_controls() {
  static const CommonControls controls = [] {
    // Through the manifest's activation context, the name is version 6.
    HMODULE module = LoadLibraryW(L"comctl32.dll");
    CommonControls c;
    if (module == nullptr) {
      throw std::runtime_error("the common controls (comctl32.dll) could not be loaded (error " +
                               std::to_string(GetLastError()) + ")");
    }
    const auto find = [module](const char* name) {
      return reinterpret_cast<void*>(GetProcAddress(module, name));
    };
    c.set_subclass = reinterpret_cast<decltype(c.set_subclass)>(find("SetWindowSubclass"));
    c.def_subclass = reinterpret_cast<decltype(c.def_subclass)>(find("DefSubclassProc"));
    c.remove_subclass = reinterpret_cast<decltype(c.remove_subclass)>(find("RemoveWindowSubclass"));
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitFn>(find("InitCommonControlsEx"));
    if (c.set_subclass == nullptr || c.def_subclass == nullptr || c.remove_subclass == nullptr ||
        init == nullptr) {
      throw std::runtime_error(
          "the common controls (comctl32.dll) lack the subclassing of "
          "controls: version 6 is needed");
    }
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    init(&classes);
    return c;
  }();
  return controls;
}

}  // namespace quorvane::win32
