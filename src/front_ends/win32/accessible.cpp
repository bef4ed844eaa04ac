#include "front_ends/win32/accessible.h"

// After windows.h, which it needs.
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <vector>

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

// A container's children as a screen reader lists them: its own elements by number, 1 to n, then
// what the system's object lists (its windows, as objects), numbers shifted past ours.
class Children final : public IEnumVARIANT {
 public:
  Children(long elements, IEnumVARIANT* system) {
    for (long i = 1; i <= elements; ++i) {
      VARIANT v{};
      v.vt = VT_I4;
      v.lVal = i;
      items_.push_back(v);
    }
    if (system == nullptr) return;
    system->Reset();
    VARIANT v{};
    ULONG got = 0;
    while (system->Next(1, &v, &got) == S_OK && got == 1) {
      if (v.vt == VT_I4) v.lVal += elements;
      items_.push_back(v);  // a dispatch keeps the reference Next gave it
      v = VARIANT{};
    }
  }
  Children(const Children& from) : items_(from.items_), next_(from.next_) {
    for (VARIANT& v : items_) {
      if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) v.pdispVal->AddRef();
    }
  }
  Children& operator=(const Children&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IEnumVARIANT))) {
      *out = static_cast<IEnumVARIANT*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (out == nullptr) return E_POINTER;
    ULONG given = 0;
    for (; given < count && next_ < items_.size(); ++given, ++next_) {
      out[given] = items_[next_];
      if (out[given].vt == VT_DISPATCH && out[given].pdispVal != nullptr) {
        out[given].pdispVal->AddRef();
      }
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    next_ = std::min(items_.size(), next_ + count);
    return next_ < items_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = new Children(*this);
    return S_OK;
  }

 private:
  ~Children() {
    for (VARIANT& v : items_) {
      if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) v.pdispVal->Release();
    }
  }

  std::vector<VARIANT> items_;
  std::size_t next_ = 0;
  std::atomic<ULONG> references_{1};
};

// The system's object for the control, with the model's name, description and role over it, and
// the children it draws itself (AccessibleFacts::elements) before the system's children.
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
    // The list of children has ours first.
    if (facts_.elements && IsEqualIID(iid, __uuidof(IEnumVARIANT))) {
      IEnumVARIANT* system = nullptr;
      if (FAILED(
              inner_->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&system)))) {
        system = nullptr;
      }
      *out = static_cast<IEnumVARIANT*>(new Children(static_cast<long>(elements().size()), system));
      if (system != nullptr) system->Release();
      return S_OK;
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
    const HRESULT own = inner_->get_accChildCount(count);
    if (count == nullptr) return own;
    if (FAILED(own)) *count = 0;
    *count += static_cast<long>(elements().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    AccessibleElement e;
    if (element(child, e)) {
      // A simple element: it is asked through this object, by its number.
      if (out != nullptr) *out = nullptr;
      return S_FALSE;
    }
    return inner_->get_accChild(theirs(child), out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    AccessibleElement e;
    if (name != nullptr && element(child, e)) return text(e.facts.name, name);
    if (name != nullptr && is_self(child) && !facts_.name.empty()) return text(facts_.name, name);
    return inner_->get_accName(theirs(child), name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    AccessibleElement e;
    if (element(child, e)) return none(value);
    return inner_->get_accValue(theirs(child), value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    AccessibleElement e;
    if (element(child, e)) {
      return e.facts.description.empty() ? none(description)
                                         : text(e.facts.description, description);
    }
    if (description != nullptr && is_self(child) && !facts_.description.empty()) {
      return text(facts_.description, description);
    }
    return inner_->get_accDescription(theirs(child), description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    AccessibleElement e;
    if (role != nullptr && element(child, e)) {
      role->vt = VT_I4;
      role->lVal = e.facts.role;
      return S_OK;
    }
    const HRESULT own = inner_->get_accRole(theirs(child), role);
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
    AccessibleElement e;
    if (state != nullptr && element(child, e)) {
      state->vt = VT_I4;
      state->lVal = (e.visible ? 0 : STATE_SYSTEM_INVISIBLE) |
                    (e.focusable ? STATE_SYSTEM_FOCUSABLE : 0) |
                    (e.focused ? STATE_SYSTEM_FOCUSED : 0) | STATE_SYSTEM_READONLY;
      return S_OK;
    }
    const HRESULT own = inner_->get_accState(theirs(child), state);
    if (FAILED(own) || state == nullptr || state->vt != VT_I4 || !is_self(child)) return own;
    if (facts_.checkable && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED) {
      state->lVal |= STATE_SYSTEM_CHECKED;
    }
    // A control on a hidden page is hidden with it, whatever its own style says.
    if (!IsWindowVisible(hwnd_)) state->lVal |= STATE_SYSTEM_INVISIBLE;
    return own;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    AccessibleElement e;
    if (element(child, e)) return none(help);
    return inner_->get_accHelp(theirs(child), help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    AccessibleElement e;
    if (element(child, e)) return none(file);
    return inner_->get_accHelpTopic(file, theirs(child), topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    AccessibleElement e;
    if (element(child, e)) return none(keys);
    return inner_->get_accKeyboardShortcut(theirs(child), keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    if (child != nullptr) {
      const std::vector<AccessibleElement> all = elements();
      for (std::size_t i = 0; i < all.size(); ++i) {
        if (!all[i].focused) continue;
        child->vt = VT_I4;
        child->lVal = static_cast<long>(i + 1);
        return S_OK;
      }
    }
    return ours(inner_->get_accFocus(child), child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return inner_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    AccessibleElement e;
    if (element(child, e)) return e.press != 0 ? text(L"Press", action) : none(action);
    if (action != nullptr && is_self(child) && facts_.press != nullptr) {
      return text(L"Press", action);
    }
    return inner_->get_accDefaultAction(theirs(child), action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    AccessibleElement e;
    if (element(child, e)) return DISP_E_MEMBERNOTFOUND;
    return inner_->accSelect(flags, theirs(child));
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    AccessibleElement e;
    if (element(child, e)) {
      if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_INVALIDARG;
      }
      *left = e.area.left;
      *top = e.area.top;
      *width = e.area.right - e.area.left;
      *height = e.area.bottom - e.area.top;
      return S_OK;
    }
    return inner_->accLocation(left, top, width, height, theirs(child));
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    const long count = static_cast<long>(elements().size());
    const auto at = [end](long child) {
      end->vt = VT_I4;
      end->lVal = child;
      return S_OK;
    };
    end->vt = VT_EMPTY;
    AccessibleElement e;
    if (element(start, e)) {
      // Among the children in their order: ours, then the system's.
      if (direction == NAVDIR_NEXT && start.lVal < count) return at(start.lVal + 1);
      if (direction == NAVDIR_PREVIOUS && start.lVal > 1) return at(start.lVal - 1);
      if (direction == NAVDIR_NEXT) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        return ours(inner_->accNavigate(NAVDIR_FIRSTCHILD, self, end), end);
      }
      return S_FALSE;
    }
    if (is_self(start) && direction == NAVDIR_FIRSTCHILD && count > 0) return at(1);
    const HRESULT result = ours(inner_->accNavigate(direction, theirs(start), end), end);
    if (is_self(start) && direction == NAVDIR_LASTCHILD && count > 0 && result != S_OK) {
      return at(count);
    }
    // Back from the system's first child comes our last.
    if (direction == NAVDIR_PREVIOUS && count > 0 && result != S_OK && !is_self(start)) {
      VARIANT first{};
      VARIANT self{};
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      if (inner_->accNavigate(NAVDIR_FIRSTCHILD, self, &first) == S_OK &&
          same_child(first, start)) {
        Library::get().variant_clear(&first);
        return at(count);
      }
      Library::get().variant_clear(&first);
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    // A window of the container's lies over everything it draws itself.
    const HRESULT system = ours(inner_->accHitTest(x, y, child), child);
    if (child == nullptr || FAILED(system) || !(child->vt == VT_EMPTY || is_self(*child))) {
      return system;
    }
    // Drawn in order, the later over the earlier.
    const std::vector<AccessibleElement> all = elements();
    const POINT at{x, y};
    for (std::size_t i = all.size(); i-- > 0;) {
      if (!all[i].visible || !PtInRect(&all[i].area, at)) continue;
      child->vt = VT_I4;
      child->lVal = static_cast<long>(i + 1);
      return S_OK;
    }
    return system;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    // Posted: the screen reader's call returns before the click runs the window's logic.
    AccessibleElement e;
    if (element(child, e)) {
      if (e.press == 0) return DISP_E_MEMBERNOTFOUND;
      return PostMessageW(hwnd_, kPressMessage, e.press, 0) ? S_OK : E_FAIL;
    }
    if (is_self(child) && facts_.press != nullptr) {
      return PostMessageW(facts_.press, kPressMessage, 0, 0) ? S_OK : E_FAIL;
    }
    return inner_->accDoDefaultAction(theirs(child));
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    AccessibleElement e;
    if (element(child, e)) return DISP_E_MEMBERNOTFOUND;
    return inner_->put_accName(theirs(child), name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    AccessibleElement e;
    if (element(child, e)) return DISP_E_MEMBERNOTFOUND;
    return inner_->put_accValue(theirs(child), value);
  }

 private:
  ~Annotated() { inner_->Release(); }

  static HRESULT text(const std::wstring& from, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = Library::get().alloc_string(from.data(), static_cast<UINT>(from.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  // Whether two answers name the same child: a number, or the same object.
  static bool same_child(const VARIANT& a, const VARIANT& b) {
    if (a.vt != b.vt) return false;
    if (a.vt == VT_I4) return a.lVal == b.lVal;
    return a.vt == VT_DISPATCH && a.pdispVal == b.pdispVal;
  }
  static HRESULT none(BSTR* out) {
    if (out != nullptr) *out = nullptr;
    return S_FALSE;
  }

  // The children drawn by the container, asked for only while its window is there.
  std::vector<AccessibleElement> elements() const {
    if (!facts_.elements || !IsWindow(hwnd_)) return {};
    return facts_.elements();
  }
  // Whether `child` is one of them, and which.
  bool element(const VARIANT& child, AccessibleElement& out) const {
    if (!facts_.elements || child.vt != VT_I4 || child.lVal <= 0) return false;
    const std::vector<AccessibleElement> all = elements();
    if (static_cast<std::size_t>(child.lVal) > all.size()) return false;
    out = all[static_cast<std::size_t>(child.lVal) - 1];
    return true;
  }
  // The system's number of a child numbered after ours, and ours of one the system answers.
  VARIANT theirs(VARIANT child) const {
    if (facts_.elements && child.vt == VT_I4 && child.lVal > 0) {
      child.lVal -= static_cast<long>(elements().size());
    }
    return child;
  }
  HRESULT ours(HRESULT result, VARIANT* child) const {
    if (SUCCEEDED(result) && child != nullptr && facts_.elements && child->vt == VT_I4 &&
        child->lVal > 0) {
      child->lVal += static_cast<long>(elements().size());
    }
    return result;
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
