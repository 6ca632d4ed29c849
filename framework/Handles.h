#pragma once
// Owners of Windows resources, so that no handle, interface or item-ID list leaks
// on an early return or an exception. Each owner frees its resource when it is
// destroyed or reset; they move but don't copy (ComPtr copies by AddRef, as COM
// references do). get() lends the raw value, release()/detach() hands it over,
// put() frees the old value and gives the address an API writes a new one to:
//     fw::PidlPtr pidl;
//     SHParseDisplayName(path, nullptr, pidl.put(), 0, nullptr);
//     fw::ComPtr<IShellFolder> desktop;
//     SHGetDesktopFolder(desktop.put());
#include <windows.h>
#include <objbase.h>
#include <shtypes.h>

#include <cstddef>
#include <type_traits>
#include <utility>

namespace fw {

// ---- One owner, many kinds ------------------------------------------------------

// Traits give the handle type, its empty value, what counts as held, and how to free.
template <class Traits>
class UniqueResource {
public:
    using pointer = typename Traits::pointer;

    UniqueResource() noexcept = default;
    explicit UniqueResource(pointer value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::Valid(value_); }
    // Gives up ownership without freeing.
    [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::Empty()); }
    // Frees the held value (if any) and holds `value` instead.
    void reset(pointer value = Traits::Empty()) noexcept {
        if (value == value_) return;
        const pointer old = std::exchange(value_, value);
        if (Traits::Valid(old)) Traits::Free(old);
    }
    // Frees the held value and gives its slot to an API that writes a new one.
    pointer* put() noexcept {
        reset();
        return &value_;
    }
    void swap(UniqueResource& other) noexcept { std::swap(value_, other.value_); }

private:
    pointer value_ = Traits::Empty();
};

namespace handle_traits {

struct Kernel {  // CloseHandle; both NULL and INVALID_HANDLE_VALUE mean "none"
    using pointer = HANDLE;
    static pointer Empty() noexcept { return nullptr; }
    static bool Valid(pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Free(pointer h) noexcept { CloseHandle(h); }
};
struct Find {
    using pointer = HANDLE;
    static pointer Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool Valid(pointer h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Free(pointer h) noexcept { FindClose(h); }
};
template <class T, auto FreeFunction>
struct Simple {
    using pointer = T;
    static pointer Empty() noexcept { return nullptr; }
    static bool Valid(pointer h) noexcept { return h != nullptr; }
    static void Free(pointer h) noexcept { FreeFunction(h); }
};
inline void DeleteGdiObject(HGDIOBJ h) noexcept {
    DeleteObject(h);
}
inline void FreeTaskMemory(void* p) noexcept {
    CoTaskMemFree(p);
}

}  // namespace handle_traits

using UniqueHandle = UniqueResource<handle_traits::Kernel>;
using Handle = UniqueHandle;
using FindHandle = UniqueResource<handle_traits::Find>;
using ModuleHandle = UniqueResource<handle_traits::Simple<HMODULE, FreeLibrary>>;
using RegKey = UniqueResource<handle_traits::Simple<HKEY, RegCloseKey>>;
using GlobalHandle = UniqueResource<handle_traits::Simple<HGLOBAL, GlobalFree>>;
using IconHandle = UniqueResource<handle_traits::Simple<HICON, DestroyIcon>>;
using MenuHandle = UniqueResource<handle_traits::Simple<HMENU, DestroyMenu>>;
// A device context made with CreateDC/CreateCompatibleDC (not one from GetDC: WindowDC).
using DCHandle = UniqueResource<handle_traits::Simple<HDC, DeleteDC>>;
using EnhMetaFileHandle = UniqueResource<handle_traits::Simple<HENHMETAFILE, DeleteEnhMetaFile>>;
// A font, bitmap, brush, pen, region or palette; freed with DeleteObject.
template <class T>
using GdiObject = UniqueResource<handle_traits::Simple<T, handle_traits::DeleteGdiObject>>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using BitmapHandle = GdiObject<HBITMAP>;

// A global memory block locked for the guard's lifetime; Data() is null when the
// lock failed. The block itself stays with its owner.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL Memory) noexcept : memory_(Memory), data_(Memory ? GlobalLock(Memory) : nullptr) {}
    ~GlobalLockGuard() {
        if (data_) GlobalUnlock(memory_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    void* Data() const noexcept { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

// Memory from the shell's task allocator, freed with CoTaskMemFree.
template <class T>
using CoTaskMemPtr = UniqueResource<handle_traits::Simple<T*, handle_traits::FreeTaskMemory>>;
// An item-ID list the holder owns (the shell hands them out that way).
using PidlPtr = CoTaskMemPtr<ITEMIDLIST>;

// ---- Device-context guards ----------------------------------------------------

// GetDC on construction, ReleaseDC on destruction (window NULL: the screen).
// With WholeWindow, GetWindowDC: the whole window, frame included.
class WindowDC {
public:
    explicit WindowDC(HWND Window, bool WholeWindow = false) noexcept
        : window_(Window), dc_(WholeWindow ? GetWindowDC(Window) : GetDC(Window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(WindowDC&& other) noexcept : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDC& operator=(WindowDC&&) = delete;
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and selects the previous one back on destruction.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC DC, HGDIOBJ Object) noexcept : dc_(DC), old_(SelectObject(DC, Object)) {}
    ~SelectObjectGuard() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

    HGDIOBJ Previous() const noexcept { return old_; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// ---- COM interface pointers ---------------------------------------------------

// Holds one reference. Constructing from a raw pointer or copying adds a reference
// (AddRef); attach() adopts a reference the caller already holds.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    explicit ComPtr(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
    noexcept : ComPtr(static_cast<T*>(other.get())) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(ComPtr<U>&& other)
    noexcept : p_(other.detach()) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        swap(other);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept {
        reset();
        return *this;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Releases the held reference and gives the slot to an API that writes one.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    // Hands the reference over (no Release).
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    // Adopts a reference (no AddRef).
    void attach(T* p) noexcept {
        reset();
        p_ = p;
    }
    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    // Another interface of the same object, or an empty pointer when it has none.
    template <class U>
    ComPtr<U> As(REFIID iid = __uuidof(U)) const noexcept {
        ComPtr<U> result;
        if (p_ && FAILED(p_->QueryInterface(iid, result.put_void()))) result.reset();
        return result;
    }
    // Gives a caller's out-parameter its own reference (for QueryInterface answers).
    HRESULT CopyTo(T** out) const noexcept {
        if (!out) return E_POINTER;
        *out = p_;
        if (p_) p_->AddRef();
        return S_OK;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace fw
