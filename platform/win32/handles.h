// Owners for the kernel and COM resources the robot takes: each is released
// exactly once, on every path, by its destructor.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace qm::win32 {

// A kernel handle; null and INVALID_HANDLE_VALUE both mean "none".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~UniqueHandle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h = nullptr) {
        if (*this) ::CloseHandle(h_);
        h_ = h;
    }
    HANDLE release() { return std::exchange(h_, nullptr); }

private:
    HANDLE h_ = nullptr;
};

// A view of a file mapping.
class MappedView {
public:
    MappedView() = default;
    explicit MappedView(void* p) : p_(p) {}
    MappedView(MappedView&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    MappedView& operator=(MappedView&& o) noexcept {
        if (this != &o) reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    ~MappedView() { reset(); }
    void* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset(void* p = nullptr) {
        if (p_) ::UnmapViewOfFile(p_);
        p_ = p;
    }

private:
    void* p_ = nullptr;
};

// A module loaded with LoadLibraryW.
class UniqueModule {
public:
    UniqueModule() = default;
    explicit UniqueModule(HMODULE m) : m_(m) {}
    UniqueModule(UniqueModule&& o) noexcept : m_(std::exchange(o.m_, nullptr)) {}
    UniqueModule& operator=(UniqueModule&& o) noexcept {
        if (this != &o) reset(std::exchange(o.m_, nullptr));
        return *this;
    }
    ~UniqueModule() { reset(); }
    HMODULE get() const { return m_; }
    void reset(HMODULE m = nullptr) {
        if (m_) ::FreeLibrary(m_);
        m_ = m;
    }

private:
    HMODULE m_ = nullptr;
};

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

// An owned BSTR.
class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(const wchar_t* text) : b_(::SysAllocString(text)) {}
    ScopedBstr(const wchar_t* text, UINT length) : b_(::SysAllocStringLen(text, length)) {}
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    ~ScopedBstr() { reset(); }
    void reset() {
        if (b_) ::SysFreeString(std::exchange(b_, nullptr));
    }
    BSTR get() const { return b_; }
    BSTR* put() {
        reset();
        return &b_;
    }
    UINT length() const { return b_ ? ::SysStringLen(b_) : 0; }

private:
    BSTR b_ = nullptr;
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
