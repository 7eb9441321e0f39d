// PStaticAsPtr<T>: one object in static storage made on first use.
//
// The holder is constant-initialised (a null pointer), so any static
// initialiser may use it whatever the order of initialisation; the object is
// created by the first Get() and deleted at exit through its virtual
// destructor when it was created.
#pragma once

#include <new>

template <class T>
class PStaticAsPtr {
public:
    constexpr PStaticAsPtr() = default;
    PStaticAsPtr(const PStaticAsPtr&) = delete;
    PStaticAsPtr& operator=(const PStaticAsPtr&) = delete;
    ~PStaticAsPtr()
    {
        T* p = p_;
        p_ = nullptr;
        delete p;
    }

    // The object, created now when it does not exist yet; null only when the
    // allocation failed.
    T* Get()
    {
        if (!p_) p_ = new (std::nothrow) T();
        return p_;
    }
    T* operator->() { return Get(); }
    bool Created() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};
