#pragma once
// A Variant that reads its text as a number and can write itself out as text. The other kinds
// convert exactly as in Variant.
#include "OrvFramework/Utilities/Storage/String.h"
#include "OrvFramework/Utilities/Storage/Variant.h"

namespace Orv {

class VariantEx : public Variant {
public:
    using Variant::Variant;
    VariantEx() = default;
    VariantEx(const Variant& v) : Variant(v) {}
    ~VariantEx() override = default;

    // Kind 9: the text is read as a decimal number (leading blanks and a sign allowed, reading
    // stops at the first character that does not fit; no number gives 0). Integers round half
    // away from zero. A boolean is true when the number is neither zero nor not-a-number.
    bool ToBool() const override;
    std::int32_t ToInt32() const override;
    std::int64_t ToInt64() const override;
    float ToFloat() const override;
    double ToDouble() const override;

    // Scalars in decimal (booleans "true"/"false"), the text itself, blocks as upper-case
    // hexadecimal bytes; empty for an empty variant.
    String ToString() const;

private:
    double TextNumber() const;
};

}  // namespace Orv
