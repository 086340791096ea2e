#include "OrvFramework/Utilities/Storage/VariantEx.h"

#include <charconv>
#include <cmath>

#include "OrvFramework/Utilities/Storage/Rounding.h"

namespace Orv {

namespace {

template <class V>
String Decimal(V value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return W(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

}  // namespace

double VariantEx::TextNumber() const {
    std::string text = Utf16ToUtf8(GetString());
    std::size_t i = text.find_first_not_of(" \t\r\n\v\f");
    if (i == std::string::npos) return 0.0;
    // from_chars takes no '+'; the sign is handled here.
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = HUGE_VAL;
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

bool VariantEx::ToBool() const {
    if (m_kind != VariantKind::WideString) return Variant::ToBool();
    const double value = TextNumber();
    return value != 0 && !std::isnan(value);
}

std::int32_t VariantEx::ToInt32() const {
    return m_kind == VariantKind::WideString ? Round(TextNumber()) : Variant::ToInt32();
}

std::int64_t VariantEx::ToInt64() const {
    return m_kind == VariantKind::WideString ? Round64(TextNumber()) : Variant::ToInt64();
}

double VariantEx::ToDouble() const { return m_kind == VariantKind::WideString ? TextNumber() : Variant::ToDouble(); }

float VariantEx::ToFloat() const {
    return m_kind == VariantKind::WideString ? static_cast<float>(TextNumber()) : Variant::ToFloat();
}

String VariantEx::ToString() const {
    switch (m_kind) {
    case VariantKind::Bool:
        return W(std::get<bool>(m_value) ? "true" : "false");
    case VariantKind::Int32:
        return Decimal(std::get<std::int32_t>(m_value));
    case VariantKind::Int64:
        return Decimal(std::get<std::int64_t>(m_value));
    case VariantKind::Float:
        return Decimal(std::get<float>(m_value));
    case VariantKind::Double:
        return Decimal(std::get<double>(m_value));
    case VariantKind::WideString:
        return String(std::u16string_view(std::get<std::u16string>(m_value)));
    case VariantKind::Block:
    case VariantKind::OpaqueBlock:
    case VariantKind::SizedBlock:
    case VariantKind::RawBlock: {
        static constexpr char16_t kHex[] = u"0123456789ABCDEF";
        String out;
        for (std::byte b : GetRawBytes()) {
            out += kHex[std::to_integer<unsigned>(b) >> 4];
            out += kHex[std::to_integer<unsigned>(b) & 0xF];
        }
        return out;
    }
    case VariantKind::Empty:
        break;
    }
    return {};
}

}  // namespace Orv
