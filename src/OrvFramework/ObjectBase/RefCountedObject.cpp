#include "OrvFramework/ObjectBase/RefCountedObject.h"

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

std::u16string LRefCountedObject::ToString() const { return Utf8ToUtf16(ClassNameOf(typeid(*this))); }

void LRefCountedObject::Undo() {
    ORV_THROW(Logic, "Undo() not implemented for RefCountedObject", "Orv::LRefCountedObject::Undo", 157);
}

std::int32_t LRefCountedObject::AddRef() const { return ++m_refCount; }

std::int32_t LRefCountedObject::Release() const {
    const std::int32_t r = m_refCount.load();
    const std::int32_t i = m_internalCount.load();
    // The last reference from outside the object's own cycles: break the cycles first.
    if (r == i + 1 && i > 0 && m_releaseGuard.load() == 0) {
        ++m_releaseGuard;
        const_cast<LRefCountedObject*>(this)->ReleaseInternalReferences();
        --m_releaseGuard;
    }
    const std::int32_t n = --m_refCount;
    if (n == 0) delete this;
    return n;
}

ORVRESULT LRefCountedObject::ReleaseInternalReferences() {
    return (m_internalCount.load() == 0 && m_refCount.load() == 1) ? S_OK : E_FAIL;
}

RCPtr<LRefCountedObject> LRefCountedObject::CreateCopy() const {
    ORV_THROW(Logic, "CreateCopy() not implemented for RefCountedObject", "Orv::LRefCountedObject::CreateCopy", 225);
}

void LRefCountedObject::SetUnshareable(bool unshareable) {
    if (unshareable && m_refCount.load() > 1) ORV_THROW_NO_TEXT(Runtime, "Orv::LRefCountedObject::SetUnshareable", 28);
    m_shareable = !unshareable;
}

void LRefCountedObject::AdjustInternalReferenceCount(std::int32_t delta) {
    // Read, then exchange: only the owning thread adjusts it.
    const std::int32_t current = m_internalCount.load();
    m_internalCount.exchange(current + delta);
}

}  // namespace Orv
