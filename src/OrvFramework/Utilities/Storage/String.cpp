#include "OrvFramework/Utilities/Storage/String.h"

#include <climits>
#include <new>

#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

template <class C>
int ReadInt(std::basic_string_view<C> text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);  // an unpaired surrogate goes through as its own code point
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            // A stray continuation byte or an invalid lead byte.
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        bool valid = true, cutOff = false;
        for (int k = 1; k <= extra; ++k) {
            if (i + static_cast<std::size_t>(k) >= text.size()) {
                cutOff = true;
                break;
            }
            const unsigned char c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cutOff) {
            // A sequence cut off by the end of the text.
            AppendUtf16(out, kReplacement);
            break;
        }
        // An overlong form is refused like any malformed sequence: decoding C0 A0 as a blank or
        // C0 A2 as a quote would let a text smuggle separators past whoever checked its bytes.
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || cp < kSmallest[extra]) {
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        i += extra + 1;
        AppendUtf16(out, cp);
    }
    return out;
}

char16_t ToUpperChar(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: mostly even upper, odd lower, with a shift after U+0138.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
        if (c != 0x131 && c != 0x138 && c != 0x149 && c % 2 == 1) return static_cast<char16_t>(c - 1);
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);  // full-width Latin
    return c;
}

char ToUpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; }

std::u16string ToUpper(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) c = ToUpperChar(c);
    return out;
}

std::string ToUpper(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = ToUpperChar(c);
    return out;
}

int WToI(std::u16string_view text) { return ReadInt(text); }
int AToI(std::string_view text) { return ReadInt(text); }

template <class C1, class C2>
C1* StringT<C1, C2>::Lock(std::size_t minLength) {
    try {
        if (this->size() < minLength) this->resize(minLength);
        return this->data();
    } catch (const std::bad_alloc&) {
        ThrowError(ErrorKind::Runtime, std::nullopt,
                   std::is_same_v<C1, char> ? "Orv::StringT<char,wchar_t>::Lock" : "Orv::StringT<wchar_t,char>::Lock",
                   __FILE__, 744);
    }
}

template <class C1, class C2>
int StringT<C1, C2>::ToInt() const {
    return ReadInt(std::basic_string_view<C1>(*this));
}

template class StringT<char16_t, char>;
template class StringT<char, char16_t>;

}  // namespace Orv
