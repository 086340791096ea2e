#pragma once
// The framework's parameter objects carried by notifications. The kinds created at high rate come
// from a recycling allocator of their own.
#include <cstdint>

#include "OrvFramework/Notification/ReuseAllocator.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

class LPointParam : public virtual LRefCountedObject {
public:
    LPointParam(double x = 0, double y = 0) : m_x(x), m_y(y) {}
    double m_x;
    double m_y;
};

class LPointWithModifiersParam : public LPointParam {
public:
    LPointWithModifiersParam(double x = 0, double y = 0, std::uint32_t modifiers = 0)
        : LPointParam(x, y), m_modifiers(modifiers) {}
    ORV_REUSE_ALLOCATED(LPointWithModifiersParam, 4)
    std::uint32_t m_modifiers;
};

class LMouseButtonParam : public LPointWithModifiersParam {
public:
    LMouseButtonParam(double x = 0, double y = 0, std::uint32_t modifiers = 0, std::int32_t button = 0)
        : LPointWithModifiersParam(x, y, modifiers), m_button(button) {}
    ORV_REUSE_ALLOCATED(LMouseButtonParam, 4)
    std::int32_t m_button;
};

class LMouseWheelParam : public LPointWithModifiersParam {
public:
    LMouseWheelParam(double x = 0, double y = 0, std::uint32_t modifiers = 0, double delta = 0)
        : LPointWithModifiersParam(x, y, modifiers), m_delta(delta) {}
    ORV_REUSE_ALLOCATED(LMouseWheelParam, 4)
    double m_delta;
};

class LKeyParam : public virtual LRefCountedObject {
public:
    LKeyParam(std::uint32_t key = 0, std::uint32_t modifiers = 0) : m_key(key), m_modifiers(modifiers) {}
    std::uint32_t m_key;
    std::uint32_t m_modifiers;
};

class LConditionsParam : public virtual LRefCountedObject {
public:
    LConditionsParam(std::uint32_t previous = 0, std::uint32_t current = 0)
        : m_previous(previous), m_current(current) {}
    ORV_REUSE_ALLOCATED(LConditionsParam, 4)
    std::uint32_t m_previous;
    std::uint32_t m_current;
    std::uint32_t m_extra[4] = {0, 0, 0, 0};  // copied from the control when the conditions change
};

class LSiblingKeyParam : public virtual LRefCountedObject {
public:
    LSiblingKeyParam(std::uint32_t key = 0, std::uint32_t modifiers = 0, bool handled = false)
        : m_key(key), m_modifiers(modifiers), m_handled(handled) {}
    std::uint32_t m_key;
    std::uint32_t m_modifiers;
    bool m_handled;
};

class LValueParam : public virtual LRefCountedObject {
public:
    explicit LValueParam(double value = 0) : m_value(value) {}
    ORV_REUSE_ALLOCATED(LValueParam, 4)
    double m_value;
};

class LItemConditionsParam : public virtual LRefCountedObject {
public:
    LItemConditionsParam(std::int32_t index = -1, std::uint32_t previous = 0, std::uint32_t current = 0)
        : m_index(index), m_previous(previous), m_current(current) {}
    std::int32_t m_index;
    std::uint32_t m_previous;
    std::uint32_t m_current;
};

class LIndexedDataParam : public virtual LRefCountedObject {
public:
    explicit LIndexedDataParam(std::int32_t index = -1) : m_index(index) {}
    std::int32_t m_index;
};

class LIndexedDataWithValueParam : public LIndexedDataParam {
public:
    LIndexedDataWithValueParam(std::int32_t index = -1, double value = 0) : LIndexedDataParam(index), m_value(value) {}
    double m_value;
};

class LMenuActivationParam : public virtual LRefCountedObject {
public:
    LMenuActivationParam(std::int32_t menuId = 0, std::int32_t itemIndex = -1)
        : m_menuId(menuId), m_itemIndex(itemIndex) {}
    ORV_REUSE_ALLOCATED(LMenuActivationParam, 4)
    std::int32_t m_menuId;
    std::int32_t m_itemIndex;
};

class LTextValidationParams : public virtual LRefCountedObject {
public:
    explicit LTextValidationParams(String text = {}) : m_text(std::move(text)) {}
    String m_text;
    bool m_valid = true;
};

class LCancelArgs : public virtual LRefCountedObject {
public:
    bool m_cancel = false;
};

}  // namespace Orv
