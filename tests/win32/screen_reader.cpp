// What a screen reader in another process finds in the editor's window: every object it offers
// (those that are not invisible), one a line as "<role>\t<name>[\tchecked][\tfocused]". With
// "press <name>", carries out that object's default action instead, as a reader's "activate" does;
// with "describe <role> <name>", prints the description of the object of that role and name, as a
// reader reads it on request (a label shares its name with the control it names).
//
//   win32_screen_reader.exe [press <name> | describe <role> <name>]

#include <cstdio>
#include <string>

#include "front_ends/win32/text.h"
#include "front_ends/win32/win.h"

// After windows.h, which it needs.
#include <oleacc.h>

namespace {

const wchar_t* role_word(long role) {
  switch (role) {
    case ROLE_SYSTEM_PUSHBUTTON:
      return L"push button";
    case ROLE_SYSTEM_LINK:
      return L"link";
    case ROLE_SYSTEM_CHECKBUTTON:
      return L"check box";
    case ROLE_SYSTEM_RADIOBUTTON:
      return L"radio button";
    case ROLE_SYSTEM_TEXT:
      return L"text";
    case ROLE_SYSTEM_COMBOBOX:
      return L"combo box";
    case ROLE_SYSTEM_GRAPHIC:
      return L"graphic";
    case ROLE_SYSTEM_STATICTEXT:
      return L"label";
    case ROLE_SYSTEM_GROUPING:
      return L"grouping";
    default:
      return L"other";
  }
}

struct Walk {
  std::wstring press;
  std::wstring describe;
  std::wstring describe_role;
  bool pressed = false;
  bool described = false;
};

// One object: a window's, or one of the children a window draws itself (a simple element, asked
// through its window's object by its number).
void consider(IAccessible* object, VARIANT id, Walk& walk) {
  BSTR name = nullptr;
  object->get_accName(id, &name);
  VARIANT role{};
  VARIANT state{};
  object->get_accRole(id, &role);
  object->get_accState(id, &state);
  const std::wstring text = name != nullptr ? name : L"";
  SysFreeString(name);
  if (!walk.press.empty() && text == walk.press && !walk.pressed) {
    walk.pressed = SUCCEEDED(object->accDoDefaultAction(id));
  } else if (!walk.describe.empty() && text == walk.describe && !walk.described &&
             role_word(role.lVal) == walk.describe_role) {
    BSTR description = nullptr;
    walk.described = SUCCEEDED(object->get_accDescription(id, &description));
    std::printf("%s\n",
                quorvane::win32::to_utf8(description != nullptr ? description : L"").c_str());
    SysFreeString(description);
  } else if (walk.press.empty() && walk.describe.empty() &&
             (state.lVal & STATE_SYSTEM_INVISIBLE) == 0) {
    std::wstring line = std::wstring(role_word(role.lVal)) + L"\t" + text;
    if (state.lVal & STATE_SYSTEM_CHECKED) line += L"\tchecked";
    if (state.lVal & STATE_SYSTEM_FOCUSED) line += L"\tfocused";
    std::printf("%s\n", quorvane::win32::to_utf8(line).c_str());
  }
}

BOOL CALLBACK visit(HWND hwnd, LPARAM l) {
  auto& walk = *reinterpret_cast<Walk*>(l);
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    return TRUE;
  }
  VARIANT id{};
  id.vt = VT_I4;
  id.lVal = CHILDID_SELF;
  consider(object, id, walk);
  // Its children without windows of their own; those with windows are visited in their turn.
  long count = 0;
  if (SUCCEEDED(object->get_accChildCount(&count))) {
    for (long i = 1; i <= count; ++i) {
      id.lVal = i;
      IDispatch* window = nullptr;
      const HRESULT child = object->get_accChild(id, &window);
      if (window != nullptr) window->Release();
      if (child == S_FALSE) consider(object, id, walk);
    }
  }
  object->Release();
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HWND window = FindWindowW(nullptr, L"Quorvane Configuration");
  if (window == nullptr) {
    std::fprintf(stderr, "no window \"Quorvane Configuration\"\n");
    return 1;
  }
  Walk walk;
  if (argc == 3 && std::wstring(argv[1]) == L"press") walk.press = argv[2];
  if (argc == 4 && std::wstring(argv[1]) == L"describe") {
    walk.describe_role = argv[2];
    walk.describe = argv[3];
  }
  EnumChildWindows(window, visit, reinterpret_cast<LPARAM>(&walk));
  if (!walk.press.empty() && !walk.pressed) {
    std::fprintf(stderr, "nothing named \"%s\" to press\n",
                 quorvane::win32::to_utf8(walk.press).c_str());
    return 1;
  }
  if (!walk.describe.empty() && !walk.described) {
    std::fprintf(stderr, "nothing named \"%s\" to describe\n",
                 quorvane::win32::to_utf8(walk.describe).c_str());
    return 1;
  }
  return 0;
}
