#pragma once
// The base of every shared object: an atomic reference count, a count of "internal" references
// that close cycles, copy-on-write support and the unshareable flag.
#include <atomic>
#include <cstdint>
#include <string>

#include "OrvFramework/ObjectBase/ResultCodes.h"

namespace Orv {

template <class T>
class RCPtr;
template <class T>
class ConstRCPtr;

class IStringable {
public:
    virtual ~IStringable() = default;
    // The run-time class name as a UTF-16 text, e.g. "class Orv::LControl".
    virtual std::u16string ToString() const = 0;
};

class IUndoable : public IStringable {
public:
    virtual void Undo() = 0;
};

class LRefCountedObject : public IUndoable {
public:
    LRefCountedObject() = default;
    // A copy is a new object: it starts unreferenced, whatever the source's counts were.
    LRefCountedObject(const LRefCountedObject& other) : IUndoable(other), m_shareable(other.m_shareable) {}
    LRefCountedObject& operator=(const LRefCountedObject&) { return *this; }
    ~LRefCountedObject() override = default;

    std::u16string ToString() const override;
    void Undo() override;

    virtual std::int32_t AddRef() const;
    virtual std::int32_t Release() const;
    // Drops the references that this object holds on objects that hold it. Succeeds (0) when
    // nothing but one outside reference remains.
    virtual ORVRESULT ReleaseInternalReferences();
    virtual RCPtr<LRefCountedObject> CreateCopy() const;

    void SetUnshareable(bool unshareable);
    bool IsShareable() const { return m_shareable; }

    // Registrations that point back at this object (+n when taken, -n when dropped). Only the
    // thread that owns the object changes it.
    void AdjustInternalReferenceCount(std::int32_t delta);

    std::int32_t GetReferenceCount() const { return m_refCount.load(); }
    std::int32_t GetInternalReferenceCount() const { return m_internalCount.load(); }

private:
    mutable std::atomic<std::int32_t> m_refCount{0};
    std::atomic<std::int32_t> m_internalCount{0};
    mutable std::atomic<std::int32_t> m_releaseGuard{0};
    bool m_shareable = true;
};

}  // namespace Orv
