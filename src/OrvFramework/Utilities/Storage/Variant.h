#pragma once
// A tagged value: a scalar, a block of bytes or a wide string, with the framework's conversions
// between the kinds. The kind numbers are part of the framework's contract.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Orv {

enum class VariantKind : int {
    Empty = 0,
    Bool = 1,
    Int32 = 2,
    Int64 = 3,
    Float = 4,
    Double = 5,
    Block = 6,        // bytes, exposed as elements
    OpaqueBlock = 7,  // bytes, no elements
    SizedBlock = 8,   // bytes, true when not empty
    WideString = 9,   // UTF-16 text; its length counts the terminating zero
    RawBlock = 10,    // bytes, no elements, no numeric reading
};

class Variant {
public:
    // A pointer and an element count (or a byte count, for GetRawBytes).
    struct View {
        const void* data = nullptr;
        std::size_t count = 0;
    };

    Variant() = default;
    Variant(bool value) : m_kind(VariantKind::Bool), m_value(value) {}
    Variant(std::int32_t value) : m_kind(VariantKind::Int32), m_value(value) {}
    Variant(std::int64_t value) : m_kind(VariantKind::Int64), m_value(value) {}
    Variant(float value) : m_kind(VariantKind::Float), m_value(value) {}
    Variant(double value) : m_kind(VariantKind::Double), m_value(value) {}
    Variant(std::u16string_view text) : m_kind(VariantKind::WideString), m_value(std::u16string(text)) {}
    // Spelled out so that a string literal does not turn into a boolean.
    Variant(const char16_t* text) : Variant(std::u16string_view(text ? text : u"")) {}
    // A block of one of the block kinds (6, 7, 8, 10); another kind is an Invalid Argument error.
    Variant(VariantKind kind, std::span<const std::byte> bytes);

    Variant(const Variant&) = default;
    Variant(Variant&&) noexcept = default;
    Variant& operator=(const Variant&) = default;
    Variant& operator=(Variant&&) noexcept = default;
    virtual ~Variant() = default;

    VariantKind GetKind() const { return m_kind; }

    virtual bool ToBool() const;
    virtual std::int32_t ToInt32() const;
    virtual std::int64_t ToInt64() const;
    virtual float ToFloat() const;
    virtual double ToDouble() const;

    // The size the kind reports: 1, 4 or 8 for scalars, the block's length, the string's length
    // with its terminating zero; 0 when empty.
    std::size_t GetSize() const;
    // The stored bytes themselves (for a string: its UTF-16 units and the terminator).
    std::span<const std::byte> GetRawBytes() const;
    // Scalars: one element at the value; kinds 6, 8 and 9: the block and its length; else none.
    View GetElements() const;
    // The text of kind 9, zero-terminated; null for every other kind.
    const char16_t* GetString() const;

protected:
    // The first 32 or 64 bits of a block, zero-padded when the block is shorter.
    template <class I>
    I FirstWord() const;
    bool IsBlockKind() const;

    VariantKind m_kind = VariantKind::Empty;
    std::variant<std::monostate, bool, std::int32_t, std::int64_t, float, double, std::vector<std::byte>,
                 std::u16string>
        m_value;
};

}  // namespace Orv
