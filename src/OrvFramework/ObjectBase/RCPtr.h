#pragma once
// Owning pointers to reference-counted objects. ConstRCPtr gives read access and owns Unshare
// (copy-on-write); RCPtr adds write access. Attaching an object takes a reference and, when the
// object is unshareable, replaces it at once by a private copy.
#include <cstddef>
#include <string>
#include <utility>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/ObjectBase/RefCountedObject.h"
#include "OrvFramework/ObjectBase/TypeName.h"

namespace Orv {

template <class T>
class ConstRCPtr {
public:
    ConstRCPtr() = default;
    ConstRCPtr(std::nullptr_t) {}
    ConstRCPtr(const T* p) : m_p(const_cast<T*>(p)) { Attach(); }
    ConstRCPtr(const ConstRCPtr& other) : m_p(other.m_p) { Attach(); }
    ConstRCPtr(ConstRCPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    // From a pointer of another type: a run-time cast; an unrelated type gives null.
    template <class U>
    ConstRCPtr(const ConstRCPtr<U>& other) : m_p(Cast(other.m_p)) {
        Attach();
    }
    ~ConstRCPtr() { Reset(); }

    ConstRCPtr& operator=(const ConstRCPtr& other) {
        Assign(other.m_p);
        return *this;
    }
    ConstRCPtr& operator=(ConstRCPtr&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(m_p, std::exchange(other.m_p, nullptr));
            if (old) old->Release();
        }
        return *this;
    }
    ConstRCPtr& operator=(const T* p) {
        Assign(const_cast<T*>(p));
        return *this;
    }
    ConstRCPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    const T* Get() const { return m_p; }
    const T* operator->() const { return m_p; }
    const T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool IsNull() const { return m_p == nullptr; }

    void Reset() {
        if (T* old = std::exchange(m_p, nullptr)) old->Release();
    }

    // Copy-on-write: when the object is shared, this pointer takes a private copy of it.
    void Unshare() {
        if (!m_p || m_p->GetReferenceCount() < 2) return;
        T* copy = nullptr;
        {
            auto created = m_p->CreateCopy();
            copy = Cast(created.m_p);
            if (copy) copy->AddRef();  // our own reference; the temporary one goes below
        }
        T* old = std::exchange(m_p, copy);
        old->Release();
        if (!m_p) {
            ThrowError(ErrorKind::Logic, TypeName<T>(), "Orv::ConstRCPtr<" + TypeName<T>() + ">::Unshare", __FILE__,
                       363);
        }
    }

    template <class U>
    bool operator==(const ConstRCPtr<U>& other) const {
        return static_cast<const void*>(m_p) == static_cast<const void*>(other.m_p);
    }
    bool operator==(std::nullptr_t) const { return m_p == nullptr; }

protected:
    template <class U>
    static T* Cast(U* p) {
        if (!p) return nullptr;
        if constexpr (std::is_convertible_v<U*, T*>) {
            return p;
        } else {
            return dynamic_cast<T*>(static_cast<LRefCountedObject*>(const_cast<std::remove_const_t<U>*>(p)));
        }
    }

    void Attach() {
        if (!m_p) return;
        m_p->AddRef();
        if (!m_p->IsShareable()) Unshare();
    }

    // The new object is taken before the old one is dropped, so assignment through aliases is safe.
    void Assign(T* p) {
        if (p == m_p) return;
        T* old = m_p;
        m_p = p;
        Attach();
        if (old) old->Release();
    }

    T* m_p = nullptr;

    template <class U>
    friend class ConstRCPtr;
    template <class U>
    friend class RCPtr;
};

template <class T>
class RCPtr : public ConstRCPtr<T> {
    using Base = ConstRCPtr<T>;

public:
    RCPtr() = default;
    RCPtr(std::nullptr_t) {}
    RCPtr(T* p) : Base(p) {}
    RCPtr(const RCPtr& other) : Base(other) {}
    RCPtr(RCPtr&& other) noexcept : Base(std::move(other)) {}
    template <class U>
    RCPtr(const RCPtr<U>& other) : Base(other) {}
    ~RCPtr() = default;

    RCPtr& operator=(const RCPtr& other) {
        Base::operator=(other);
        return *this;
    }
    RCPtr& operator=(RCPtr&& other) noexcept {
        Base::operator=(std::move(other));
        return *this;
    }
    RCPtr& operator=(T* p) {
        Base::Assign(p);
        return *this;
    }
    RCPtr& operator=(std::nullptr_t) {
        Base::Reset();
        return *this;
    }

    T* Get() const { return this->m_p; }
    T* operator->() const { return this->m_p; }
    T& operator*() const { return *this->m_p; }
};

// Creates a shared object and takes the first reference.
template <class T, class... Args>
RCPtr<T> MakeRC(Args&&... args) {
    return RCPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace Orv

template <class T>
struct std::hash<Orv::ConstRCPtr<T>> {
    std::size_t operator()(const Orv::ConstRCPtr<T>& p) const noexcept { return std::hash<const void*>()(p.Get()); }
};
template <class T>
struct std::hash<Orv::RCPtr<T>> {
    std::size_t operator()(const Orv::RCPtr<T>& p) const noexcept { return std::hash<const void*>()(p.Get()); }
};
