#include "OrvFramework/Utilities/Storage/Variant.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/Utilities/Storage/Rounding.h"

namespace Orv {

Variant::Variant(VariantKind kind, std::span<const std::byte> bytes)
    : m_kind(kind), m_value(std::vector<std::byte>(bytes.begin(), bytes.end())) {
    if (!IsBlockKind())
        ORV_THROW(InvalidArgument, "Invalid block kind passed to Variant.", "Orv::Variant::Variant", __LINE__);
}

bool Variant::IsBlockKind() const {
    return m_kind == VariantKind::Block || m_kind == VariantKind::OpaqueBlock || m_kind == VariantKind::SizedBlock ||
           m_kind == VariantKind::RawBlock;
}

template <class I>
I Variant::FirstWord() const {
    const auto* block = std::get_if<std::vector<std::byte>>(&m_value);
    I word = 0;
    if (block) std::memcpy(&word, block->data(), std::min(sizeof word, block->size()));
    return word;
}

bool Variant::ToBool() const {
    switch (m_kind) {
    case VariantKind::Bool:
        return std::get<bool>(m_value);
    case VariantKind::Int32:
        return std::get<std::int32_t>(m_value) != 0;
    case VariantKind::Block:
    case VariantKind::OpaqueBlock:
        return FirstWord<std::uint32_t>() != 0;
    case VariantKind::Int64:
        return std::get<std::int64_t>(m_value) != 0;
    case VariantKind::Float: {
        const float f = std::get<float>(m_value);
        return f != 0 && !std::isnan(f);
    }
    case VariantKind::Double: {
        const double d = std::get<double>(m_value);
        return d != 0 && !std::isnan(d);
    }
    case VariantKind::SizedBlock:
    case VariantKind::RawBlock:
        return GetSize() != 0;
    case VariantKind::WideString:
        return GetSize() > 1;
    case VariantKind::Empty:
        break;
    }
    return false;
}

std::int32_t Variant::ToInt32() const {
    switch (m_kind) {
    case VariantKind::Bool:
        return std::get<bool>(m_value) ? 1 : 0;
    case VariantKind::Int32:
        return std::get<std::int32_t>(m_value);
    case VariantKind::Int64:
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::get<std::int64_t>(m_value)));
    case VariantKind::Float:
        return Round(std::get<float>(m_value));
    case VariantKind::Double:
        return Round(std::get<double>(m_value));
    case VariantKind::Block:
    case VariantKind::OpaqueBlock:
    case VariantKind::SizedBlock:
        return FirstWord<std::int32_t>();
    case VariantKind::WideString:
        return static_cast<std::int32_t>(GetSize() - 1);
    case VariantKind::RawBlock:
    case VariantKind::Empty:
        break;
    }
    return 0;
}

std::int64_t Variant::ToInt64() const {
    switch (m_kind) {
    case VariantKind::Bool:
        return std::get<bool>(m_value) ? 1 : 0;
    case VariantKind::Int32:
        return std::get<std::int32_t>(m_value);
    case VariantKind::Int64:
        return std::get<std::int64_t>(m_value);
    case VariantKind::Float:
        return Round64(std::get<float>(m_value));
    case VariantKind::Double:
        return Round64(std::get<double>(m_value));
    case VariantKind::Block:
    case VariantKind::OpaqueBlock:
    case VariantKind::SizedBlock:
        return FirstWord<std::int64_t>();
    case VariantKind::WideString:
        return static_cast<std::int64_t>(GetSize()) - 1;
    case VariantKind::RawBlock:
    case VariantKind::Empty:
        break;
    }
    return 0;
}

double Variant::ToDouble() const {
    switch (m_kind) {
    case VariantKind::Bool:
        return std::get<bool>(m_value) ? 1.0 : 0.0;
    case VariantKind::Int32:
        return std::get<std::int32_t>(m_value);
    case VariantKind::Int64:
        return static_cast<double>(std::get<std::int64_t>(m_value));
    case VariantKind::Float:
        return std::get<float>(m_value);
    case VariantKind::Double:
        return std::get<double>(m_value);
    // The block kinds and the string read as their own integer conversion.
    case VariantKind::Block:
    case VariantKind::OpaqueBlock:
    case VariantKind::SizedBlock:
    case VariantKind::WideString:
        return static_cast<double>(ToInt64());
    case VariantKind::RawBlock:
    case VariantKind::Empty:
        break;
    }
    return 0.0;
}

float Variant::ToFloat() const {
    if (m_kind == VariantKind::Float) return std::get<float>(m_value);
    return static_cast<float>(ToDouble());
}

std::size_t Variant::GetSize() const {
    switch (m_kind) {
    case VariantKind::Bool:
        return 1;
    case VariantKind::Int32:
    case VariantKind::Float:
        return 4;
    case VariantKind::Int64:
    case VariantKind::Double:
        return 8;
    case VariantKind::WideString:
        return std::get<std::u16string>(m_value).size() + 1;
    case VariantKind::Block:
    case VariantKind::OpaqueBlock:
    case VariantKind::SizedBlock:
    case VariantKind::RawBlock:
        return std::get<std::vector<std::byte>>(m_value).size();
    case VariantKind::Empty:
        break;
    }
    return 0;
}

std::span<const std::byte> Variant::GetRawBytes() const {
    return std::visit(
        [](const auto& v) -> std::span<const std::byte> {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::monostate>) {
                return {};
            } else if constexpr (std::is_same_v<V, std::vector<std::byte>>) {
                return {v.data(), v.size()};
            } else if constexpr (std::is_same_v<V, std::u16string>) {
                return {reinterpret_cast<const std::byte*>(v.c_str()), (v.size() + 1) * sizeof(char16_t)};
            } else {
                return {reinterpret_cast<const std::byte*>(&v), sizeof v};
            }
        },
        m_value);
}

Variant::View Variant::GetElements() const {
    switch (m_kind) {
    case VariantKind::Bool:
    case VariantKind::Int32:
    case VariantKind::Int64:
    case VariantKind::Float:
    case VariantKind::Double:
        return {GetRawBytes().data(), 1};
    case VariantKind::Block:
    case VariantKind::SizedBlock: {
        const auto bytes = GetRawBytes();
        return {bytes.empty() ? nullptr : bytes.data(), bytes.size()};
    }
    case VariantKind::WideString:
        return {GetString(), GetSize()};
    case VariantKind::OpaqueBlock:
    case VariantKind::RawBlock:
    case VariantKind::Empty:
        break;
    }
    return {};
}

const char16_t* Variant::GetString() const {
    const auto* text = std::get_if<std::u16string>(&m_value);
    return text ? text->c_str() : nullptr;
}

template std::int32_t Variant::FirstWord<std::int32_t>() const;
template std::uint32_t Variant::FirstWord<std::uint32_t>() const;
template std::int64_t Variant::FirstWord<std::int64_t>() const;

}  // namespace Orv
