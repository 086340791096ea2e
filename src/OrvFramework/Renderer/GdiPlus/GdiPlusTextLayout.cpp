#include "OrvFramework/Renderer/GdiPlus/GdiPlusTextLayout.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
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

    const double lineHeight = m_font->GetHeight(Gdiplus::REAL(kDpi));
    if (m_text.empty()) {
        m_size = {0.0, lineHeight};
        m_lineCount = 1;
        return;
    }
    const auto format = MakeFormat(0.0);
    Gdiplus::RectF box;
    INT fitted = 0, lines = 0;
    m_measure.MeasureString(m_text.c_str(), INT(m_text.size()), m_font.get(),
                            Gdiplus::RectF(0, 0, Gdiplus::REAL(m_wrapWidth), 0), format.get(), &box, &fitted, &lines);
    m_size = {box.Width, box.Height};
    m_lineCount = std::max(lines, 1);
}

LGdiPlusTextLayout::~LGdiPlusTextLayout() = default;

std::unique_ptr<Gdiplus::StringFormat> LGdiPlusTextLayout::MakeFormat(double hAlign) const {
    auto format = std::make_unique<Gdiplus::StringFormat>(Gdiplus::StringFormat::GenericTypographic());
    INT flags =
        format->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces | Gdiplus::StringFormatFlagsNoClip;
    if (m_wrapWidth <= 0.0) flags |= Gdiplus::StringFormatFlagsNoWrap;
    flags &= ~Gdiplus::StringFormatFlagsLineLimit;
    format->SetFormatFlags(flags);
    format->SetTrimming(Gdiplus::StringTrimmingNone);
    format->SetAlignment(hAlign < 0.25   ? Gdiplus::StringAlignmentNear
                         : hAlign < 0.75 ? Gdiplus::StringAlignmentCenter
                                         : Gdiplus::StringAlignmentFar);
    format->SetLineAlignment(Gdiplus::StringAlignmentNear);
    return format;
}

std::vector<LRect> LGdiPlusTextLayout::GetRangeBounds(const std::vector<LTextRange>& ranges) const {
    std::vector<LRect> result(ranges.size());
    std::vector<std::size_t> wanted;
    const auto length = std::int32_t(m_text.size());
    for (std::size_t i = 0; i < ranges.size(); ++i)
        if (ranges[i].length > 0 && ranges[i].start >= 0 && ranges[i].start < length) wanted.push_back(i);
    // GDI+ measures at most 32 ranges at a time.
    constexpr std::size_t kBatch = 32;
    for (std::size_t first = 0; first < wanted.size(); first += kBatch) {
        const std::size_t count = std::min(kBatch, wanted.size() - first);
        std::vector<Gdiplus::CharacterRange> batch;
        for (std::size_t k = 0; k < count; ++k) {
            const LTextRange& r = ranges[wanted[first + k]];
            batch.emplace_back(r.start, std::min(r.length, length - r.start));
        }
        auto format = MakeFormat(0.0);
        format->SetMeasurableCharacterRanges(INT(count), batch.data());
        std::vector<Gdiplus::Region> regions(count);
        if (m_measure.MeasureCharacterRanges(m_text.c_str(), length, m_font.get(),
                                             Gdiplus::RectF(0, 0, Gdiplus::REAL(m_wrapWidth), 0), format.get(),
                                             INT(count), regions.data()) != Gdiplus::Ok)
            continue;
        for (std::size_t k = 0; k < count; ++k) {
            Gdiplus::RectF b;
            regions[k].GetBounds(&b, &m_measure);
            result[wanted[first + k]] = {b.X, b.Y, b.Width, b.Height};
        }
    }
    return result;
}

LRect LGdiPlusTextLayout::GetInkBounds() const {
    if (m_text.empty()) return {};
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
    if (m_text.empty()) return;
    const double width = m_wrapWidth > 0.0 ? m_wrapWidth : std::max(boxWidth, 0.0);
    const auto format = MakeFormat(width > 0.0 ? hAlign : 0.0);
    graphics.DrawString(m_text.c_str(), INT(m_text.size()), m_font.get(),
                        Gdiplus::RectF(Gdiplus::REAL(topLeft.x), Gdiplus::REAL(topLeft.y), Gdiplus::REAL(width), 0),
                        format.get(), &brush);
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
