#include "OrvFramework/Renderer/GdiPlus/GdiPlusTextLayout.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <string_view>
#include <map>
#include <mutex>

namespace Orv {

namespace {

constexpr double kDpi = 96.0;
// GDI+ measures in floats: a box exactly as wide as its text must not wrap it.
constexpr double kWrapSlack = 1.0 / 16.0;

double EmPixels(const LFontDescription& font) { return (font.size > 0.0 ? font.size : 8.25) * kDpi / 72.0; }

int GdiPlusStyle(const LFontDescription& font) {
    const int style = font.style < 0 ? 0 : font.style;
    int out = Gdiplus::FontStyleRegular;
    if (style & FontStyleBold) out |= Gdiplus::FontStyleBold;
    if (style & FontStyleItalic) out |= Gdiplus::FontStyleItalic;
    if (style & FontStyleUnderline) out |= Gdiplus::FontStyleUnderline;
    if (style & FontStyleStrikeout) out |= Gdiplus::FontStyleStrikeout;
    return out;
}

std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring FamilyName(const LFontDescription& font) {
    return font.name.empty() ? std::wstring(L"Arial") : ToWide(std::u16string_view(font.name));
}

// The characters an installed font family has a glyph for (the Basic Multilingual Plane, as GDI
// reports it); not installed families have none.
class Coverage {
public:
    bool installed = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // first, last; sorted
    bool Has(char32_t c) const {
        auto it = std::upper_bound(ranges.begin(), ranges.end(), c,
                                   [](char32_t v, const std::pair<char32_t, char32_t>& r) { return v < r.first; });
        return it != ranges.begin() && c <= std::prev(it)->second;
    }
};

Coverage ReadCoverage(const std::wstring& family) {
    Coverage coverage;
    Gdiplus::FontFamily probe(family.c_str());
    // GDI would quietly hand out another font for a missing one; GDI+ says it is missing.
    if (probe.GetLastStatus() != Gdiplus::Ok) return coverage;
    coverage.installed = true;
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTW description{};
    description.lfHeight = -16;
    description.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(description.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&description);
    HGDIOBJ old = SelectObject(dc, font);
    if (const DWORD size = GetFontUnicodeRanges(dc, nullptr); size > 0) {
        std::vector<unsigned char> buffer(size);
        auto* glyphs = reinterpret_cast<GLYPHSET*>(buffer.data());
        if (GetFontUnicodeRanges(dc, glyphs) != 0)
            for (DWORD i = 0; i < glyphs->cRanges; ++i)
                if (glyphs->ranges[i].cGlyphs > 0)
                    coverage.ranges.emplace_back(glyphs->ranges[i].wcLow,
                                                 char32_t(glyphs->ranges[i].wcLow) + glyphs->ranges[i].cGlyphs - 1);
        // Merged, as the lookup expects: some systems report ranges that overlap.
        std::sort(coverage.ranges.begin(), coverage.ranges.end());
        std::vector<std::pair<char32_t, char32_t>> merged;
        for (const auto& r : coverage.ranges) {
            if (!merged.empty() && r.first <= merged.back().second + 1)
                merged.back().second = std::max(merged.back().second, r.second);
            else
                merged.push_back(r);
        }
        coverage.ranges = std::move(merged);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return coverage;
}

const Coverage& CoverageOf(const std::wstring& family) {
    static std::mutex mutex;
    static std::map<std::wstring, Coverage> known;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = known.find(family);
    if (found == known.end()) found = known.emplace(family, ReadCoverage(family)).first;
    return found->second;
}

// Characters that need no glyph of their own: controls, line and paragraph separators, zero-width
// marks and joiners, the byte-order mark.
bool NeedsGlyph(char32_t c) {
    return !(c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x200B && c <= 0x200F) || c == 0x2028 || c == 0x2029 ||
             c == 0xFEFF);
}

std::vector<char32_t> CodePoints(const std::wstring& text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Fonts that write East Asian and other scripts on Windows (and under Wine here), the text's own
// script first so that Japanese is not written in Chinese letter forms.
std::vector<std::wstring> FallbackFamilies(const std::vector<char32_t>& text) {
    const bool kana = std::any_of(text.begin(), text.end(), [](char32_t c) { return c >= 0x3040 && c < 0x3100; });
    const bool hangul = std::any_of(text.begin(), text.end(), [](char32_t c) {
        return (c >= 0xAC00 && c < 0xD7B0) || (c >= 0x1100 && c < 0x1200) || (c >= 0x3130 && c < 0x3190);
    });
    std::vector<std::wstring> japanese{L"Yu Gothic UI", L"Meiryo UI", L"Meiryo", L"MS UI Gothic", L"MS Gothic"};
    std::vector<std::wstring> korean{L"Malgun Gothic", L"Gulim", L"Dotum"};
    std::vector<std::wstring> chinese{L"Microsoft YaHei UI",
                                      L"Microsoft JhengHei UI",
                                      L"Microsoft YaHei",
                                      L"Microsoft JhengHei",
                                      L"SimSun",
                                      L"PMingLiU"};
    std::vector<std::wstring> out;
    auto add = [&out](const std::vector<std::wstring>& list) { out.insert(out.end(), list.begin(), list.end()); };
    if (kana) add(japanese);
    if (hangul) add(korean);
    add(chinese);
    if (!kana) add(japanese);
    if (!hangul) add(korean);
    add({L"Segoe UI", L"Segoe UI Symbol", L"Arial Unicode MS", L"WenQuanYi Micro Hei", L"Noto Sans CJK SC"});
    return out;
}

int Missing(const Coverage& coverage, const std::vector<char32_t>& text) {
    if (!coverage.installed) return int(text.size()) + 1;
    return int(std::count_if(text.begin(), text.end(), [&](char32_t c) { return NeedsGlyph(c) && !coverage.Has(c); }));
}

std::unique_ptr<Gdiplus::Font> MakeFont(const Gdiplus::FontFamily& family, const LFontDescription& font) {
    const int style = GdiPlusStyle(font);
    const auto size = static_cast<Gdiplus::REAL>(EmPixels(font));
    auto made = std::make_unique<Gdiplus::Font>(&family, size, style, Gdiplus::UnitPixel);
    if (made->GetLastStatus() == Gdiplus::Ok) return made;
    // A family without the bold or italic face is written in its regular face.
    made = std::make_unique<Gdiplus::Font>(
        &family, size, style & (Gdiplus::FontStyleUnderline | Gdiplus::FontStyleStrikeout), Gdiplus::UnitPixel);
    if (made->GetLastStatus() == Gdiplus::Ok) return made;
    return std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(), size, style, Gdiplus::UnitPixel);
}

}  // namespace

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

// Characters a line may break before and after: ideographs, kana, Hangul, full-width forms.
bool IsEastAsian(wchar_t c) {
    return (c >= 0x1100 && c < 0x1200) || (c >= 0x2E80 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7B0) ||
           (c >= 0xF900 && c < 0xFB00) || (c >= 0xFF00 && c < 0xFFF0);
}

// No line starts with these: closing punctuation, small kana, the prolonged sound mark.
bool NoBreakBefore(wchar_t c) {
    static constexpr std::wstring_view kClosing =
        L")]}.,:;!?%\x3001\x3002\xFF0C\xFF0E\xFF1A\xFF1B\xFF01\xFF1F\xFF09\x300D\x300F\x3011\x3015\x3009\x300B"
        L"\x30FC\x3005\x3041\x3043\x3045\x3047\x3049\x3063\x3083\x3085\x3087\x308E\x30A1\x30A3\x30A5\x30A7\x30A9"
        L"\x30C3\x30E3\x30E5\x30E7\x30EE\x30F5\x30F6\x30FB\x2019\x201D";
    return kClosing.find(c) != std::wstring_view::npos || (c >= 0xDC00 && c < 0xE000);
}

// No line ends with these: opening brackets and quotes.
bool NoBreakAfter(wchar_t c) {
    static constexpr std::wstring_view kOpening = L"([{\xFF08\x300C\x300E\x3010\x3014\x3008\x300A\x2018\x201C";
    return kOpening.find(c) != std::wstring_view::npos || (c >= 0xD800 && c < 0xDC00);
}

// Whether a line may break between text[i - 1] and text[i].
bool MayBreakBefore(const std::wstring& text, std::size_t i) {
    const wchar_t before = text[i - 1], at = text[i];
    if (IsSpace(at) || NoBreakBefore(at) || NoBreakAfter(before)) return false;
    if (IsSpace(before)) return true;
    if (before == L'-' && std::iswalpha(at)) return true;
    return IsEastAsian(before) || IsEastAsian(at);
}

}  // namespace

LGdiPlusTextLayout::LGdiPlusTextLayout(Gdiplus::Graphics& measure, const LFontDescription& font, const String& text,
                                       double wrapWidth)
    : m_measure(measure),
      m_text(ToWide(std::u16string_view(text))),
      m_wrapWidth(wrapWidth > 0.0 ? wrapWidth + kWrapSlack : 0.0) {
    // The font asked for, unless another installed one has more of the text's characters.
    const std::vector<char32_t> points = CodePoints(m_text);
    std::wstring family = FamilyName(font);
    int missing = Missing(CoverageOf(family), points);
    if (missing > 0) {
        for (const std::wstring& candidate : FallbackFamilies(points)) {
            const int m = Missing(CoverageOf(candidate), points);
            if (m < missing) {
                family = candidate;
                missing = m;
            }
            if (missing == 0) break;
        }
    }
    const bool installed = CoverageOf(family).installed;
    m_unknownGlyphs = installed ? missing : int(std::count_if(points.begin(), points.end(), NeedsGlyph));
    m_family = installed ? std::make_unique<Gdiplus::FontFamily>(family.c_str())
                         : std::unique_ptr<Gdiplus::FontFamily>(Gdiplus::FontFamily::GenericSansSerif()->Clone());
    m_font = MakeFont(*m_family, font);
    m_lineHeight = m_font->GetHeight(Gdiplus::REAL(kDpi));

    // Each line is measured and drawn on its own, unwrapped, trailing spaces counted.
    m_format = std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericTypographic());
    m_format->SetFormatFlags((m_format->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                              Gdiplus::StringFormatFlagsNoClip | Gdiplus::StringFormatFlagsNoWrap) &
                             ~Gdiplus::StringFormatFlagsLineLimit);
    m_format->SetTrimming(Gdiplus::StringTrimmingNone);

    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(m_text.find(L'\n', start), m_text.size());
        std::size_t paragraphEnd = end;
        if (paragraphEnd > start && m_text[paragraphEnd - 1] == L'\r') --paragraphEnd;
        BreakParagraph(start, paragraphEnd);
        if (end >= m_text.size()) break;
        start = end + 1;
    }
    double widest = 0.0;
    for (const Line& line : m_lines) widest = std::max(widest, line.width);
    m_size = {widest, m_lineHeight * double(m_lines.size())};
    m_lineCount = std::int32_t(m_lines.size());
}

LGdiPlusTextLayout::~LGdiPlusTextLayout() = default;

double LGdiPlusTextLayout::Width(std::size_t start, std::size_t length) const {
    if (length == 0) return 0.0;
    Gdiplus::RectF box;
    m_measure.MeasureString(m_text.c_str() + start, INT(length), m_font.get(), Gdiplus::PointF(0, 0), m_format.get(),
                            &box);
    return box.Width;
}

void LGdiPlusTextLayout::BreakParagraph(std::size_t start, std::size_t end) {
    if (m_wrapWidth <= 0.0 || start >= end) {
        m_lines.push_back({start, end - start, Width(start, end - start)});
        return;
    }
    while (start < end) {
        // Where the rest may break, and the end of the paragraph.
        std::vector<std::size_t> breaks;
        for (std::size_t i = start + 1; i < end; ++i)
            if (MayBreakBefore(m_text, i)) breaks.push_back(i);
        breaks.push_back(end);
        // A break's line, without the spaces before it.
        auto trimmed = [&](std::size_t at) {
            while (at > start && IsSpace(m_text[at - 1])) --at;
            return at - start;
        };
        // The farthest break whose line fits (widths grow with the line).
        std::size_t lo = 0, hi = breaks.size();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (Width(start, trimmed(breaks[mid])) <= m_wrapWidth)
                lo = mid + 1;
            else
                hi = mid;
        }
        std::size_t at = 0;
        if (lo > 0) {
            at = breaks[lo - 1];
        } else {
            // The first word alone is too wide: as many of its characters as fit, at least one.
            at = start + 1;
            while (at < breaks[0] && Width(start, at + 1 - start) <= m_wrapWidth) ++at;
            if (at < end && m_text[at] >= 0xDC00 && m_text[at] < 0xE000) ++at;  // keep surrogate pairs whole
        }
        const std::size_t length = lo > 0 ? trimmed(at) : at - start;
        m_lines.push_back({start, length, Width(start, length)});
        start = at;
        while (start < end && IsSpace(m_text[start])) ++start;
        if (start >= end) break;
    }
}

std::vector<LRect> LGdiPlusTextLayout::GetRangeBounds(const std::vector<LTextRange>& ranges) const {
    std::vector<LRect> result;
    result.reserve(ranges.size());
    const auto length = std::int32_t(m_text.size());
    for (const LTextRange& range : ranges) {
        LRect bounds;
        bool any = false;
        if (range.length > 0 && range.start >= 0 && range.start < length) {
            const std::size_t first = std::size_t(range.start);
            const std::size_t last = std::min<std::size_t>(m_text.size(), first + std::size_t(range.length));
            for (std::size_t i = 0; i < m_lines.size(); ++i) {
                const Line& line = m_lines[i];
                const std::size_t from = std::max(first, line.start), to = std::min(last, line.start + line.length);
                if (from >= to) continue;
                // The piece on this line spans from the width before it to the width through it.
                const double left = Width(line.start, from - line.start);
                const LRect piece{left, m_lineHeight * double(i), Width(line.start, to - line.start) - left,
                                  m_lineHeight};
                if (!any) {
                    bounds = piece;
                    any = true;
                } else {
                    const double right = std::max(bounds.Right(), piece.Right());
                    const double bottom = std::max(bounds.Bottom(), piece.Bottom());
                    bounds.x = std::min(bounds.x, piece.x);
                    bounds.y = std::min(bounds.y, piece.y);
                    bounds.width = right - bounds.x;
                    bounds.height = bottom - bounds.y;
                }
            }
        }
        result.push_back(bounds);
    }
    return result;
}

LRect LGdiPlusTextLayout::GetInkBounds() const {
    if (m_size.width <= 0.0) return {};
    // GDI+ tells no inked extent: the text is drawn offscreen, with room for overhangs, and looked at.
    const int margin = int(std::ceil(m_font->GetSize())) + 2;
    const int width = int(std::ceil(m_size.width)) + 2 * margin;
    const int height = int(std::ceil(m_size.height)) + 2 * margin;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0u);
    {
        Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()));
        Gdiplus::Graphics graphics(&bitmap);
        graphics.SetTextRenderingHint(m_measure.GetTextRenderingHint());
        const Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
        Draw(graphics, {double(margin), double(margin)}, 0.0, 0.0, black);
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixels[static_cast<std::size_t>(y) * width + x] >> 24) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return {double(left - margin), double(top - margin), double(right - left + 1), double(bottom - top + 1)};
}

void LGdiPlusTextLayout::Draw(Gdiplus::Graphics& graphics, LPoint topLeft, double boxWidth, double hAlign,
                              const Gdiplus::Brush& brush) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.length == 0) continue;
        const double x = topLeft.x + (boxWidth - line.width) * hAlign;
        const double y = topLeft.y + m_lineHeight * double(i);
        graphics.DrawString(m_text.c_str() + line.start, INT(line.length), m_font.get(),
                            Gdiplus::PointF(Gdiplus::REAL(x), Gdiplus::REAL(y)), m_format.get(), &brush);
    }
}

LFontMetrics LGdiPlusTextLayout::GetFontMetrics(const LFontDescription& font) {
    const std::wstring name = FamilyName(font);
    std::unique_ptr<Gdiplus::FontFamily> family =
        CoverageOf(name).installed
            ? std::make_unique<Gdiplus::FontFamily>(name.c_str())
            : std::unique_ptr<Gdiplus::FontFamily>(Gdiplus::FontFamily::GenericSansSerif()->Clone());
    const int style = GdiPlusStyle(font) & (Gdiplus::FontStyleBold | Gdiplus::FontStyleItalic);
    const double em = EmPixels(font);
    const double units = std::max<double>(family->GetEmHeight(style), 1.0);
    LFontMetrics metrics;
    metrics.size = em;
    metrics.emHeight = em;
    metrics.ascent = em * family->GetCellAscent(style) / units;
    metrics.descent = em * family->GetCellDescent(style) / units;
    const double spacing = em * family->GetLineSpacing(style) / units;
    metrics.lineHeight = spacing > 0.0 ? spacing : metrics.ascent + metrics.descent;
    return metrics;
}

}  // namespace Orv
