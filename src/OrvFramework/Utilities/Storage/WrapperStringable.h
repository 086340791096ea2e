#pragma once
// A string as a shared, taggable object: its ToString is the string itself.
#include <cstdint>
#include <utility>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/ObjectBase/RefCountedObject.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

template <class S = String>
class LWrapperStringable : public LRefCountedObject {
public:
    LWrapperStringable() = default;
    explicit LWrapperStringable(S text, std::intptr_t tag = 0) : m_text(std::move(text)), m_tag(tag) {}

    const S& Get() const { return m_text; }
    void Set(S text) { m_text = std::move(text); }

    // A caller-defined value carried with the string (an index, an identifier).
    std::intptr_t GetTag() const { return m_tag; }
    void SetTag(std::intptr_t tag) { m_tag = tag; }

    std::u16string ToString() const override { return m_text.ToUtf16(); }

    RCPtr<LRefCountedObject> CreateCopy() const override {
        return RCPtr<LRefCountedObject>(new LWrapperStringable(*this));
    }

private:
    S m_text;
    std::intptr_t m_tag = 0;
};

}  // namespace Orv
