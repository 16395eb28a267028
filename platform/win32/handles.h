// Owners for the kernel and COM resources the robot takes: each is released
// exactly once, on every path, by its destructor.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace qm::win32 {

// An owned resource of one kind, in the manner of WIL's unique_any: the
// policy names its type, its value for "none", when a value is one to close,
// and how to close it. Move-only.
template <typename Policy>
class UniqueAny {
public:
    using Type = typename Policy::Type;

    UniqueAny() = default;
    explicit UniqueAny(Type value) : value_(value) {}
    UniqueAny(UniqueAny&& o) noexcept : value_(std::exchange(o.value_, Policy::kNone)) {}
    UniqueAny& operator=(UniqueAny&& o) noexcept {
        if (this != &o) reset(std::exchange(o.value_, Policy::kNone));
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return Policy::Owns(value_); }
    // Closes what is held and holds value instead.
    void reset(Type value = Policy::kNone) {
        if (Policy::Owns(value_)) Policy::Close(value_);
        value_ = value;
    }
    // Hands the value over to the caller, who closes it.
    Type release() { return std::exchange(value_, Policy::kNone); }
    // For out-parameters: closes what is held and hands out the empty slot.
    Type* put() {
        reset();
        return &value_;
    }

private:
    Type value_ = Policy::kNone;
};

namespace policy {
// A kernel handle; null and INVALID_HANDLE_VALUE both mean "none".
struct Handle {
    using Type = HANDLE;
    static constexpr Type kNone = nullptr;
    static bool Owns(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
// A view of a file mapping.
struct View {
    using Type = void*;
    static constexpr Type kNone = nullptr;
    static bool Owns(Type p) { return p != nullptr; }
    static void Close(Type p) { ::UnmapViewOfFile(p); }
};
// A module loaded with LoadLibraryW.
struct Module {
    using Type = HMODULE;
    static constexpr Type kNone = nullptr;
    static bool Owns(Type m) { return m != nullptr; }
    static void Close(Type m) { ::FreeLibrary(m); }
};
// A string of OLE Automation.
struct Bstr {
    using Type = BSTR;
    static constexpr Type kNone = nullptr;
    static bool Owns(Type b) { return b != nullptr; }
    static void Close(Type b) { ::SysFreeString(b); }
};
}  // namespace policy

using UniqueHandle = UniqueAny<policy::Handle>;
using MappedView = UniqueAny<policy::View>;
using UniqueModule = UniqueAny<policy::Module>;
using ScopedBstr = UniqueAny<policy::Bstr>;

// An owned COM interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* p) {
        if (p) p->AddRef();
        return Attach(p);
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() { reset(); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    // Hands the reference over to the caller, who releases it.
    T* release() { return std::exchange(p_, nullptr); }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and hands out the empty slot.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    template <typename U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> out;
        if (p_ && FAILED(p_->QueryInterface(iid, out.put_void()))) out.reset();
        return out;
    }

private:
    T* p_ = nullptr;
};

// An owned VARIANT, initialised on construction and cleared on destruction.
class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&v_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { ::VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* put() {
        ::VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

// Keeps the browser's type library (MSHTML, 4.0) loaded while it lives. Every
// browser interface crosses the process boundary through the type-library
// marshaler, which otherwise reads and parses the whole library anew for each
// proxy and stub it builds.
class BrowserTypeLibraryHold {
public:
    BrowserTypeLibraryHold() {
        static const GUID kLibidMshtml = {0x3050F1C5, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
        if (FAILED(::LoadRegTypeLib(kLibidMshtml, 4, 0, 0, library_.put()))) library_.reset();
    }
    bool Loaded() const { return static_cast<bool>(library_); }

private:
    ComPtr<ITypeLib> library_;
};

}  // namespace qm::win32
