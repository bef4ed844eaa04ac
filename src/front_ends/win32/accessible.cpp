#include "front_ends/win32/accessible.h"

// After windows.h, which it needs.
#include <oleacc.h>

#include <atomic>

namespace quorvane::win32 {
namespace {

bool is_self(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The accessibility libraries, looked up the first time a screen reader asks: a start without
// one loads none of them.
struct Library {
  using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
  using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  using AllocStringFn = BSTR(WINAPI*)(const OLECHAR*, UINT);
  using VariantClearFn = HRESULT(WINAPI*)(VARIANTARG*);
  CreateStdFn create_std = nullptr;
  LresultFn lresult_from = nullptr;
  AllocStringFn alloc_string = nullptr;
  VariantClearFn variant_clear = nullptr;

  bool complete() const {
    return create_std != nullptr && lresult_from != nullptr && alloc_string != nullptr &&
           variant_clear != nullptr;
  }
  template <class F>
  static F find(HMODULE module, const char* name) {
    return module == nullptr
               ? nullptr
               : reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  static const Library& get() {
    static const Library library = [] {
      Library l;
      HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
      HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
      l.create_std = find<CreateStdFn>(oleacc, "CreateStdAccessibleObject");
      l.lresult_from = find<LresultFn>(oleacc, "LresultFromObject");
      l.alloc_string = find<AllocStringFn>(oleaut, "SysAllocStringLen");
      l.variant_clear = find<VariantClearFn>(oleaut, "VariantClear");
      return l;
    }();
    return library;
  }
};

// The system's object for the control, with the model's name, description and role over it.
// Everything else (location, focus, navigation, the value of an edit field) is the system's.
class Annotated final : public IAccessible {
 public:
  Annotated(IAccessible* inner, HWND hwnd, AccessibleFacts facts)
      : inner_(inner), hwnd_(hwnd), facts_(std::move(facts)) {}
  Annotated(const Annotated&) = delete;
  Annotated& operator=(const Annotated&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
        IsEqualIID(iid, __uuidof(IAccessible))) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // Marshalled as itself to a screen reader in another process: the system's object would
    // marshal itself in our place and lose what we lay over it.
    if (IsEqualIID(iid, __uuidof(IMarshal))) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return inner_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return inner_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return inner_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                                   UINT* wrong) override {
    return inner_->Invoke(id, iid, locale, flags, params, result, error, wrong);
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return inner_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return inner_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return inner_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name != nullptr && is_self(child) && !facts_.name.empty()) return text(facts_.name, name);
    return inner_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return inner_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (description != nullptr && is_self(child) && !facts_.description.empty()) {
      return text(facts_.description, description);
    }
    return inner_->get_accDescription(child, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    const HRESULT own = inner_->get_accRole(child, role);
    if (role == nullptr || !is_self(child)) return own;
    long wanted = facts_.role;
    if (wanted == 0 && facts_.class_role != 0 &&
        (FAILED(own) || (role->vt == VT_I4 && role->lVal == ROLE_SYSTEM_CLIENT))) {
      wanted = facts_.class_role;
    }
    if (wanted == 0) return own;
    Library::get().variant_clear(role);
    role->vt = VT_I4;
    role->lVal = wanted;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT own = inner_->get_accState(child, state);
    if (FAILED(own) || state == nullptr || state->vt != VT_I4 || !is_self(child)) return own;
    if (facts_.checkable && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED) {
      state->lVal |= STATE_SYSTEM_CHECKED;
    }
    // A control on a hidden page is hidden with it, whatever its own style says.
    if (!IsWindowVisible(hwnd_)) state->lVal |= STATE_SYSTEM_INVISIBLE;
    return own;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return inner_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return inner_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return inner_->get_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return inner_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return inner_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (action != nullptr && is_self(child) && facts_.press != nullptr) {
      return text(L"Press", action);
    }
    return inner_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return inner_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return inner_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return inner_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    return inner_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    // Posted: the screen reader's call returns before the click runs the window's logic.
    if (is_self(child) && facts_.press != nullptr) {
      return PostMessageW(facts_.press, kPressMessage, 0, 0) ? S_OK : E_FAIL;
    }
    return inner_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return inner_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return inner_->put_accValue(child, value);
  }

 private:
  ~Annotated() { inner_->Release(); }

  static HRESULT text(const std::wstring& from, BSTR* out) {
    *out = Library::get().alloc_string(from.data(), static_cast<UINT>(from.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  IAccessible* inner_;
  HWND hwnd_;
  AccessibleFacts facts_;
  std::atomic<ULONG> references_{1};
};

}  // namespace

LRESULT answer_get_object(HWND hwnd, WPARAM w, LPARAM l, const AccessibleFacts& facts) {
  if (static_cast<LONG>(static_cast<DWORD>(l)) != OBJID_CLIENT) return 0;
  const Library& library = Library::get();
  if (!library.complete()) return 0;
  IAccessible* inner = nullptr;
  if (FAILED(library.create_std(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                reinterpret_cast<void**>(&inner))) ||
      inner == nullptr) {
    return 0;
  }
  auto* annotated = new Annotated(inner, hwnd, facts);
  const LRESULT answer = library.lresult_from(__uuidof(IAccessible), w, annotated);
  annotated->Release();  // the answer holds its own reference
  return answer < 0 ? 0 : answer;
}

}  // namespace quorvane::win32
