#pragma once
// The framework's strings: wide strings hold UTF-16 in char16_t, narrow strings UTF-8. StringT is a
// thin layer over std::basic_string that adds the conversions and readers the framework relies on.
#include <cstdint>
#include <string>
#include <string_view>

namespace Orv {

// Lenient conversions: an unpaired surrogate is carried over as its own code point, a value beyond
// U+10FFFF (or a malformed UTF-8 sequence) becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Upper-case form of one UTF-16 code unit (Latin, Greek and Cyrillic letters; others unchanged).
char16_t ToUpperChar(char16_t c);
char ToUpperChar(char c);
std::u16string ToUpper(std::u16string_view text);
std::string ToUpper(std::string_view text);

// Readers in the manner of _wtoi / atoi: leading blanks, an optional sign, decimal digits up to
// the first non-digit; 0 when there is no digit. Values saturate at the int range.
int WToI(std::u16string_view text);
int AToI(std::string_view text);

template <class C1, class C2>
class StringT : public std::basic_string<C1> {
public:
    using Base = std::basic_string<C1>;
    using Other = std::basic_string<C2>;
    using Base::Base;

    StringT() = default;
    StringT(const Base& s) : Base(s) {}
    StringT(Base&& s) noexcept : Base(std::move(s)) {}
    StringT(std::basic_string_view<C1> s) : Base(s) {}
    // From the other character type, converting between UTF-8 and UTF-16.
    explicit StringT(const Other& s) : Base(Convert<C1>(s)) {}
    explicit StringT(const C2* s) : Base(Convert<C1>(Other(s ? s : std::basic_string<C2>().c_str()))) {}

    Other ToOther() const { return Convert<C2>(*this); }
    std::string ToUtf8() const { return Convert<char>(*this); }
    std::u16string ToUtf16() const { return Convert<char16_t>(*this); }

    // Writable access to at least minLength characters (the string grows to that length).
    C1* Lock(std::size_t minLength = 0);
    // Ends a Lock: the length becomes that of the zero-terminated text in the buffer.
    void Unlock() { this->resize(std::char_traits<C1>::length(this->data())); }

    StringT ToUpper() const { return StringT(Orv::ToUpper(std::basic_string_view<C1>(*this))); }
    void MakeUpper() { *this = ToUpper(); }
    int ToInt() const;

    bool IsEmpty() const { return this->empty(); }
    int GetLength() const { return static_cast<int>(this->size()); }

private:
    template <class To, class From>
    static std::basic_string<To> Convert(const std::basic_string<From>& s) {
        if constexpr (std::is_same_v<To, From>) {
            return s;
        } else if constexpr (std::is_same_v<To, char>) {
            return Utf16ToUtf8(s);
        } else {
            return Utf8ToUtf16(s);
        }
    }
};

using String = StringT<char16_t, char>;
using StringA = StringT<char, char16_t>;

// A wide string from UTF-8 text (for literals in code and file names).
inline String W(std::string_view utf8) { return String(Utf8ToUtf16(utf8)); }

// The identity of the framework's stringable protocol for plain strings.
template <class S>
const S& StringToString(const S& s) {
    return s;
}

}  // namespace Orv

template <class C1, class C2>
struct std::hash<Orv::StringT<C1, C2>> {
    std::size_t operator()(const Orv::StringT<C1, C2>& s) const noexcept {
        return std::hash<std::basic_string<C1>>()(s);
    }
};
