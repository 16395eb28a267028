// The page's COM objects and its JScript engine.
//
// The document, the window, the element, the accessible object and a plain
// script object are five COM objects with one shared lifetime: each forwards
// AddRef/Release to the page core, which goes away when the host and every
// other process have let go. Each answers QueryInterface only for its own
// interfaces, as the browser's objects do.
#include "sim/win32/page/page_object.h"

#include <windows.h>
#include <ole2.h>
#include <activscp.h>
#include <dispex.h>
#include <mshtml.h>
#include <oleacc.h>
#include <servprov.h>

#include <utility>

#include "platform/win32/handles.h"
#include "sim/win32/page/com_stubs.h"

namespace qm::sim::page {
namespace {

using win32::ComPtr;
using win32::ScopedVariant;

// {F414C260-6AC0-11CF-B6D1-00AA00BBBB58}: the JScript engine.
constexpr CLSID kClsidJScript = {0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
// The window's only named member.
constexpr DISPID kEvalId = 1000;
constexpr wchar_t kEvalName[] = L"eval";

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
std::u16string Text(const wchar_t* s, std::size_t n) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s), n) : std::u16string();
}
std::u16string BstrText(BSTR b) { return Text(b, b ? ::SysStringLen(b) : 0); }

bool SameName(const wchar_t* a, const wchar_t* b, bool ignoreCase) {
    if (!a || !b) return false;
    return ::CompareStringOrdinal(a, -1, b, -1, ignoreCase ? TRUE : FALSE) == CSTR_EQUAL;
}

void ClearExcepInfo(EXCEPINFO& e) {
    ::SysFreeString(e.bstrSource);
    ::SysFreeString(e.bstrDescription);
    ::SysFreeString(e.bstrHelpFile);
    e = EXCEPINFO{};
}

// IDispatch for objects that have no names of their own.
template <class Base>
class NoNames : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

}  // namespace

class PageCore;

// Hands out `object` as `out` with a reference added: the usual ending of a getter.
template <class T, class U>
HRESULT HandOut(U* object, T** out) {
    *out = object;
    object->AddRef();
    return S_OK;
}

class DocumentObject final : public NoNames<IHTMLDocument2Stubs> {
public:
    explicit DocumentObject(PageCore& core) : core_(core) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch** p) override;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;

private:
    PageCore& core_;
};

class WindowObject final : public IHTMLWindow2Stubs, public IDispatchEx {
public:
    explicit WindowObject(PageCore& core) : core_(core) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch, shared by both vtables: "eval" is the one name.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;
    // IDispatchEx.
    HRESULT STDMETHODCALLTYPE GetDispID(BSTR name, DWORD grfdex, DISPID* id) override;
    HRESULT STDMETHODCALLTYPE InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                       EXCEPINFO* excep, IServiceProvider*) override {
        return Invoke(id, IID_NULL, lcid, flags, params, result, excep, nullptr);
    }
    HRESULT STDMETHODCALLTYPE DeleteMemberByName(BSTR, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE DeleteMemberByDispID(DISPID) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetMemberProperties(DISPID, DWORD, DWORD* props) override {
        if (props) *props = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMemberName(DISPID id, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (id != kEvalId) return DISP_E_UNKNOWNNAME;
        *name = ::SysAllocString(kEvalName);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetNextDispID(DWORD, DISPID id, DISPID* next) override {
        if (!next) return E_POINTER;
        *next = DISPID_UNKNOWN;
        if (id != DISPID_STARTENUM) return S_FALSE;
        *next = kEvalId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNameSpaceParent(IUnknown** parent) override {
        if (parent) *parent = nullptr;
        return E_NOTIMPL;
    }
    // IHTMLWindow2.
    HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2** p) override;

private:
    PageCore& core_;
};

class ElementObject final : public NoNames<IHTMLElementStubs> {
public:
    explicit ElementObject(PageCore& core) : core_(core) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE get_document(IDispatch** p) override;

private:
    PageCore& core_;
};

class AccessibleObject final : public NoNames<IAccessibleStubs>, public IServiceProvider {
public:
    explicit AccessibleObject(PageCore& core) : core_(core) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override;

private:
    PageCore& core_;
};

// An IDispatch that is not a page window (for the scriptNotWindow and
// elementDocumentNotDocument2 faults).
class PlainObject final : public NoNames<IDispatch> {
public:
    explicit PlainObject(PageCore& core) : core_(core) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

private:
    PageCore& core_;
};

// The engine's site: owned by the engine, pointing back at the core until the
// core closes the engine.
class ScriptSite final : public IActiveScriptSite {
public:
    explicit ScriptSite(PageCore* core) : core_(core) {}
    void Detach() { core_ = nullptr; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != __uuidof(IActiveScriptSite)) return E_NOINTERFACE;
        *out = static_cast<IActiveScriptSite*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR, DWORD, IUnknown** item, ITypeInfo** info) override {
        if (item) *item = nullptr;
        if (info) *info = nullptr;
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* version) override {
        if (version) *version = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override;
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

private:
    ULONG refs_ = 1;
    PageCore* core_;
};

class PageCore {
public:
    PageCore() : document(*this), window(*this), element(*this), accessible(*this), plain(*this) {}
    ~PageCore() {
        if (site_) site_->Detach();
        if (engine_) engine_->Close();
        parser_.reset();
        engine_.reset();
        if (site_) site_->Release();
    }
    PageCore(const PageCore&) = delete;
    PageCore& operator=(const PageCore&) = delete;

    ULONG AddRef() { return ++refs_; }
    ULONG Release() {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    bool StartEngine() {
        if (FAILED(::CoCreateInstance(kClsidJScript, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript),
                                      engine_.put_void())) ||
            !engine_) {
            return false;
        }
        parser_ = engine_.As<IActiveScriptParse64>(__uuidof(IActiveScriptParse64));
        if (!parser_) return false;
        site_ = new ScriptSite(this);
        if (FAILED(engine_->SetScriptSite(site_)) || FAILED(parser_->InitNew()) ||
            FAILED(engine_->SetScriptState(SCRIPTSTATE_CONNECTED))) {
            return false;
        }
        return true;
    }

    // Runs text in the engine's global scope; on a script error the result is
    // left VT_EMPTY and the error's description is kept.
    HRESULT Run(const std::u16string& text, DWORD flags, VARIANT* result) {
        if (result) ::VariantClear(result);
        if (!parser_) return E_UNEXPECTED;
        errorSeen_ = false;
        EXCEPINFO excep{};
        HRESULT hr = parser_->ParseScriptText(Wide(text), nullptr, nullptr, nullptr, 0, 0, flags, result, &excep);
        if (SUCCEEDED(hr) && errorSeen_) hr = DISP_E_EXCEPTION;
        if (FAILED(hr)) {
            if (!errorSeen_) {
                lastError = excep.bstrDescription ? BstrText(excep.bstrDescription) : u"the script failed";
            }
            if (result) ::VariantClear(result);
        } else {
            lastError.clear();
        }
        ClearExcepInfo(excep);
        return hr;
    }

    // JScript's own String(value).
    std::optional<std::u16string> ToText(VARIANT& value) {
        if (V_VT(&value) == VT_BSTR) return BstrText(V_BSTR(&value));
        if (engine_) {
            ComPtr<IDispatch> global;
            if (SUCCEEDED(engine_->GetScriptDispatch(nullptr, global.put())) && global) {
                wchar_t name[] = L"String";
                LPOLESTR names[] = {name};
                DISPID id = DISPID_UNKNOWN;
                if (SUCCEEDED(global->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
                    ScopedVariant arg;
                    ScopedVariant out;
                    if (SUCCEEDED(::VariantCopy(arg.get(), &value))) {
                        DISPPARAMS params{arg.get(), nullptr, 1, 0};
                        if (SUCCEEDED(global->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                                     out.get(), nullptr, nullptr)) &&
                            V_VT(out.get()) == VT_BSTR) {
                            return BstrText(V_BSTR(out.get()));
                        }
                    }
                }
            }
        }
        ScopedVariant text;
        if (SUCCEEDED(::VariantChangeType(text.get(), &value, 0, VT_BSTR)) && V_VT(text.get()) == VT_BSTR) {
            return BstrText(V_BSTR(text.get()));
        }
        return std::nullopt;
    }

    void NoteScriptError(IActiveScriptError* error) {
        errorSeen_ = true;
        EXCEPINFO excep{};
        if (error && SUCCEEDED(error->GetExceptionInfo(&excep))) {
            if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
            lastError = excep.bstrDescription ? BstrText(excep.bstrDescription) : u"script error";
        } else {
            lastError = u"script error";
        }
        ClearExcepInfo(excep);
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        if (error && SUCCEEDED(error->GetSourcePosition(&context, &line, &column))) {
            const std::string where = " (line " + std::to_string(line + 1) + ", column " + std::to_string(column + 1) + ")";
            lastError.append(where.begin(), where.end());
        }
    }

    DocumentObject document;
    WindowObject window;
    ElementObject element;
    AccessibleObject accessible;
    PlainObject plain;

    std::u16string url;
    PageFaults faults;
    PageStats stats;
    std::function<void(const std::u16string&)> onEval;
    HWND hwnd = nullptr;
    std::u16string lastError;

private:
    ULONG refs_ = 1;
    ComPtr<IActiveScript> engine_;
    ComPtr<IActiveScriptParse64> parser_;
    ScriptSite* site_ = nullptr;
    bool errorSeen_ = false;
};

HRESULT STDMETHODCALLTYPE ScriptSite::OnScriptError(IActiveScriptError* error) {
    if (core_) core_->NoteScriptError(error);
    return S_OK;
}

// Shared lifetime: every object counts on the core.
#define QM_PAGE_SHARED_LIFETIME(Class)                                              \
    ULONG STDMETHODCALLTYPE Class::AddRef() { return core_.AddRef(); }              \
    ULONG STDMETHODCALLTYPE Class::Release() { return core_.Release(); }
QM_PAGE_SHARED_LIFETIME(DocumentObject)
QM_PAGE_SHARED_LIFETIME(WindowObject)
QM_PAGE_SHARED_LIFETIME(ElementObject)
QM_PAGE_SHARED_LIFETIME(AccessibleObject)
QM_PAGE_SHARED_LIFETIME(PlainObject)
#undef QM_PAGE_SHARED_LIFETIME

// --- document ---

HRESULT STDMETHODCALLTYPE DocumentObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IHTMLDocument) ||
        iid == __uuidof(IHTMLDocument2)) {
        *out = static_cast<IHTMLDocument2*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE DocumentObject::get_Script(IDispatch** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (core_.faults.noScript) return E_FAIL;
    if (core_.faults.scriptNotWindow) return HandOut(static_cast<IDispatch*>(&core_.plain), p);
    return HandOut(static_cast<IDispatch*>(static_cast<IHTMLWindow2*>(&core_.window)), p);
}

HRESULT STDMETHODCALLTYPE DocumentObject::get_URL(BSTR* p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (core_.faults.failUrl) return E_FAIL;
    *p = ::SysAllocStringLen(Wide(core_.url), static_cast<UINT>(core_.url.size()));
    return *p ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE DocumentObject::get_parentWindow(IHTMLWindow2** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (core_.faults.noParentWindow) return E_FAIL;
    return HandOut(static_cast<IHTMLWindow2*>(&core_.window), p);
}

// --- window ---

HRESULT STDMETHODCALLTYPE WindowObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IHTMLFramesCollection2) ||
        iid == __uuidof(IHTMLWindow2)) {
        *out = static_cast<IHTMLWindow2*>(this);
    } else if (iid == __uuidof(IDispatchEx) && !core_.faults.noDispatchEx) {
        *out = static_cast<IDispatchEx*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WindowObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        // IDispatch names are not case-sensitive.
        ids[i] = (!core_.faults.noEval && SameName(names[i], kEvalName, true)) ? kEvalId : DISPID_UNKNOWN;
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE WindowObject::GetDispID(BSTR name, DWORD grfdex, DISPID* id) {
    if (!id) return E_POINTER;
    *id = DISPID_UNKNOWN;
    if (core_.faults.noEval) return DISP_E_UNKNOWNNAME;
    if (!SameName(name, kEvalName, (grfdex & fdexNameCaseInsensitive) != 0)) return DISP_E_UNKNOWNNAME;
    *id = kEvalId;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE WindowObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                               VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (result) ::VariantInit(result);
    if (excep) *excep = EXCEPINFO{};
    if (id != kEvalId || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (!params || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    // Arguments arrive last first: the first positional one is at the end.
    ScopedVariant byValue;
    if (FAILED(::VariantCopyInd(byValue.get(), &params->rgvarg[params->cArgs - 1]))) {
        if (argErr) *argErr = params->cArgs - 1;
        return DISP_E_TYPEMISMATCH;
    }
    if (V_VT(byValue.get()) != VT_BSTR) {
        // eval of anything but a string gives that value back.
        return result ? ::VariantCopy(result, byValue.get()) : S_OK;
    }
    const std::u16string text = BstrText(V_BSTR(byValue.get()));
    core_.stats.evals.push_back(text);
    ScopedVariant local;
    HRESULT hr = core_.Run(text, SCRIPTTEXT_ISEXPRESSION, result ? result : local.get());
    // The host may look at the page now; keep the core alive while it does.
    core_.AddRef();
    if (core_.onEval) core_.onEval(text);
    const bool failed = FAILED(hr);
    const std::u16string description = core_.lastError;
    core_.Release();
    if (!failed) return S_OK;
    if (excep) {
        excep->bstrSource = ::SysAllocString(L"JScript");
        excep->bstrDescription = ::SysAllocStringLen(Wide(description), static_cast<UINT>(description.size()));
        excep->scode = hr == DISP_E_EXCEPTION ? E_FAIL : hr;
    }
    return DISP_E_EXCEPTION;
}

HRESULT STDMETHODCALLTYPE WindowObject::get_document(IHTMLDocument2** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (core_.faults.noWindowDocument) return E_FAIL;
    return HandOut(static_cast<IHTMLDocument2*>(&core_.document), p);
}

// --- element ---

HRESULT STDMETHODCALLTYPE ElementObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IHTMLElement)) {
        *out = static_cast<IHTMLElement*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ElementObject::get_document(IDispatch** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (core_.faults.noElementDocument) return E_FAIL;
    if (core_.faults.elementDocumentNotDocument2) return HandOut(static_cast<IDispatch*>(&core_.plain), p);
    return HandOut(static_cast<IDispatch*>(static_cast<IHTMLDocument2*>(&core_.document)), p);
}

// --- accessible object ---

HRESULT STDMETHODCALLTYPE AccessibleObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
        *out = static_cast<IAccessible*>(this);
    } else if (iid == __uuidof(IServiceProvider) && !core_.faults.noServiceProvider) {
        *out = static_cast<IServiceProvider*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleObject::accHitTest(LONG, LONG, VARIANT* child) {
    if (!child) return E_POINTER;
    ::VariantInit(child);
    ++core_.stats.hitTests;
    // The page has no accessible children: whatever point reaches it is the page itself.
    V_VT(child) = VT_I4;
    V_I4(child) = CHILDID_SELF;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    RECT r{};
    if (!core_.hwnd || !::GetWindowRect(core_.hwnd, &r)) return E_FAIL;
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleObject::get_accRole(VARIANT, VARIANT* role) {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    V_VT(role) = VT_I4;
    V_I4(role) = ROLE_SYSTEM_CLIENT;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleObject::get_accState(VARIANT, VARIANT* state) {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    V_VT(state) = VT_I4;
    V_I4(state) = (core_.hwnd && ::IsWindowVisible(core_.hwnd)) ? 0 : STATE_SYSTEM_INVISIBLE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleObject::get_accChildCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE AccessibleObject::QueryService(REFGUID service, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ++core_.stats.serviceQueries;
    if (core_.faults.elementFailures != 0) {
        if (core_.faults.elementFailures > 0) --core_.faults.elementFailures;
        return E_NOINTERFACE;
    }
    if (service != __uuidof(IHTMLElement)) return E_NOINTERFACE;
    return core_.element.QueryInterface(iid, out);
}

// --- plain object ---

HRESULT STDMETHODCALLTYPE PlainObject::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

// --- the host's handle ---

std::shared_ptr<PageObject> PageObject::Create(std::u16string url) {
    auto* core = new PageCore();
    core->url = std::move(url);
    if (!core->StartEngine()) {
        core->Release();
        return nullptr;
    }
    return std::shared_ptr<PageObject>(new PageObject(core));
}

PageObject::PageObject(PageCore* core) : core_(core) {}
PageObject::~PageObject() { core_->Release(); }

void PageObject::SetUrl(std::u16string url) { core_->url = std::move(url); }
std::u16string PageObject::GetUrl() const { return core_->url; }

bool PageObject::LoadScript(const std::u16string& source) {
    return SUCCEEDED(core_->Run(source, 0, nullptr));
}

std::optional<std::u16string> PageObject::Evaluate(const std::u16string& text) {
    ScopedVariant result;
    if (FAILED(core_->Run(text, SCRIPTTEXT_ISEXPRESSION, result.get()))) return std::nullopt;
    return core_->ToText(*result.get());
}

ScriptValue PageObject::EvaluateValue(const std::u16string& text) {
    ScopedVariant result;
    core_->Run(text, SCRIPTTEXT_ISEXPRESSION, result.get());  // an error leaves it VT_EMPTY
    ScriptValue value;
    ScopedVariant asText;
    if (SUCCEEDED(::VariantChangeType(asText.get(), result.get(), 0, VT_BSTR)) && V_VT(asText.get()) == VT_BSTR) {
        value.text = BstrText(V_BSTR(asText.get()));
    }
    ScopedVariant asBool;
    if (SUCCEEDED(::VariantChangeType(asBool.get(), result.get(), 0, VT_BOOL)) && V_VT(asBool.get()) == VT_BOOL) {
        value.boolean = V_BOOL(asBool.get()) != VARIANT_FALSE;
    }
    return value;
}

std::u16string PageObject::LastError() const { return core_->lastError; }
PageFaults& PageObject::Faults() { return core_->faults; }
const PageStats& PageObject::Stats() const { return core_->stats; }
PageStats& PageObject::Stats() { return core_->stats; }
void PageObject::OnEval(std::function<void(const std::u16string&)> handler) { core_->onEval = std::move(handler); }

void* PageObject::NewDocumentReference() {
    IUnknown* unknown = static_cast<IHTMLDocument2*>(&core_->document);
    unknown->AddRef();
    return unknown;
}

void* PageObject::NewAccessibleReference() {
    IUnknown* unknown = static_cast<IAccessible*>(&core_->accessible);
    unknown->AddRef();
    return unknown;
}

void PageObject::SetWindow(void* hwnd) { core_->hwnd = static_cast<HWND>(hwnd); }

}  // namespace qm::sim::page
