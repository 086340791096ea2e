#include "OrvFramework/ControlBase/ControlFactory.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <exception>
#include <fstream>
#include <new>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/Platform/Files.h"
#include "OrvFramework/Platform/Resources.h"
#include "OrvFramework/Utilities/Storage/Hex.h"

static_assert(sizeof(XML_Char) == 1, "the reader expects Expat's UTF-8 interface");

namespace Orv {

namespace {

// ---- Value syntaxes of the attributes ---------------------------------------------------------

const String* Find(const LControlFactory::AttributeMap& attributes, std::u16string_view key) {
    auto it = attributes.find(String(key));
    return it == attributes.end() ? nullptr : &it->second;
}

// "0x" and at most four hexadecimal digits, or a signed decimal number.
int ReadInteger(const String& value) {
    const std::string text = value.ToUtf8();
    if (text.size() >= 2 && text[0] == '0' && text[1] == 'x') {
        int result = 0;
        for (std::size_t i = 2; i < text.size() && i < 6; ++i) {
            const int digit = HexDigitValue(text[i]);
            if (digit < 0) break;
            result = result * 16 + digit;
        }
        return result;
    }
    return AToI(text);
}

int ReadPlainInteger(const String& value) { return WToI(value); }

// The leading decimal number; anything unreadable, and infinities or NaN, give 0.
float ReadFloat(const String& value) {
    const std::string text = value.ToUtf8();
    std::size_t start = 0;
    while (start < text.size() &&
           (text[start] == ' ' || text[start] == '\t' || text[start] == '\n' || text[start] == '\r'))
        ++start;
    if (start < text.size() && text[start] == '+') ++start;
    float result = 0.0f;
    const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), result,
                                              std::chars_format::fixed | std::chars_format::scientific);
    (void)end;
    if (error != std::errc() || !std::isfinite(result)) return 0.0f;
    return result;
}

bool ReadBoolean(const String& value) { return value == u"True"; }

// Two digits: alpha; six: red, green, blue; eight: alpha, red, green, blue. Other lengths leave
// the colour as it was.
void ReadColor(const String& value, LColor& color) {
    const std::string text = value.ToUtf8();
    std::size_t start = 0;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) start = 2;
    std::size_t digits = 0;
    while (start + digits < text.size() && HexDigitValue(text[start + digits]) >= 0) ++digits;
    auto byteAt = [&](std::size_t index) {
        const std::size_t at = start + index * 2;
        const int b = HexDigitValue(text[at]) * 16 + HexDigitValue(text[at + 1]);
        return static_cast<float>(b) * 0.003921568859368563f;
    };
    switch (digits) {
    case 2:
        color.alpha = byteAt(0);
        break;
    case 6:
        color.red = byteAt(0);
        color.green = byteAt(1);
        color.blue = byteAt(2);
        break;
    case 8:
        color.alpha = byteAt(0);
        color.red = byteAt(1);
        color.green = byteAt(2);
        color.blue = byteAt(3);
        break;
    default:
        break;
    }
}

PositionReference ReadPositionReference(const String& value, String& controlName) {
    if (value == u"Parent" || value == u"Screen") return PositionReference::Parent;
    if (value == u"Client" || value == u"Active Window") return PositionReference::Client;
    controlName = value;
    return PositionReference::Control;
}

SizeReference ReadSizeReference(const String& value, String& controlName) {
    if (value == u"Parent" || value == u"Screen") return SizeReference::Parent;
    if (value == u"Client" || value == u"Active Window") return SizeReference::Client;
    if (value == u"Self") return SizeReference::Self;
    controlName = value;
    return SizeReference::Control;
}

void ReadSizeLimit(const LControlFactory::AttributeMap& attributes, const std::u16string& prefix, LSizeLimit& limit) {
    if (const String* v = Find(attributes, prefix + u"ToControl")) {
        if (*v == u"Self") {
            limit.reference = LimitReference::Self;
        } else {
            limit.reference = LimitReference::Control;
            limit.controlName = *v;
        }
    }
    if (const String* v = Find(attributes, prefix + u"Rel")) limit.relative = ReadFloat(*v);
    if (const String* v = Find(attributes, prefix + u"Abs")) limit.absolute = ReadPlainInteger(*v);
}

void ReadAxis(const LControlFactory::AttributeMap& attributes, char16_t axisLetter, LAxisLayout& axis) {
    const std::u16string a(1, axisLetter);
    if (const String* v = Find(attributes, a + u"PlacementAnchor")) axis.placementAnchor = ReadFloat(*v);
    if (const String* v = Find(attributes, a + u"IsDocked")) axis.docked = ReadBoolean(*v);
    if (const String* v = Find(attributes, a + u"PositionToControl"))
        axis.positionReference = ReadPositionReference(*v, axis.positionControlName);
    if (const String* v = Find(attributes, a + u"PositionRel")) axis.positionRelative = ReadFloat(*v);
    if (const String* v = Find(attributes, a + u"PositionAbs")) axis.positionAbsolute = ReadPlainInteger(*v);
    if (const String* v = Find(attributes, a + u"SizeToControl"))
        axis.sizeReference = ReadSizeReference(*v, axis.sizeControlName);
    if (const String* v = Find(attributes, a + u"SizeRel")) axis.sizeRelative = ReadFloat(*v);
    if (const String* v = Find(attributes, a + u"SizeAbs")) axis.sizeAbsolute = ReadPlainInteger(*v);
    ReadSizeLimit(attributes, a + u"MinSize", axis.minimumSize);
    ReadSizeLimit(attributes, a + u"MaxSize", axis.maximumSize);
}

// Anything at or above this many entries in one look list is taken for a broken document rather
// than allocated.
constexpr int kMaxLooksPerList = 0x10000;

// ---- The parser's C callbacks ------------------------------------------------------------------

struct ParseContext {
    LControlFactory* factory;
    XML_Parser parser;
    std::exception_ptr error;
};

// Exceptions must not cross Expat's C frames: keep the first one and stop the parser.
template <class F>
void Guarded(void* userData, F&& f) {
    auto* context = static_cast<ParseContext*>(userData);
    if (context->error) return;
    try {
        f(*context->factory);
    } catch (...) {
        context->error = std::current_exception();
        XML_StopParser(context->parser, XML_FALSE);
    }
}

void XMLCALL OnStartElement(void* userData, const XML_Char* name, const XML_Char** attributes) {
    Guarded(userData, [&](LControlFactory& factory) {
        LControlFactory::AttributeMap map;
        for (const XML_Char** a = attributes; a && a[0] && a[1]; a += 2)
            map.emplace(String(Utf8ToUtf16(a[0])), String(Utf8ToUtf16(a[1])));
        factory.XMLStartElement(String(Utf8ToUtf16(name)), map);
    });
}

void XMLCALL OnEndElement(void* userData, const XML_Char* name) {
    Guarded(userData, [&](LControlFactory& factory) { factory.XMLEndElement(String(Utf8ToUtf16(name))); });
}

void XMLCALL OnCharacterData(void* userData, const XML_Char* text, int length) {
    Guarded(userData, [&](LControlFactory& factory) { factory.XMLCharacterData(text, length); });
}

std::string ErrorText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

}  // namespace

LControlFactory::LControlFactory(String name) : m_name(std::move(name)) {}

LControlFactory::~LControlFactory() = default;

// ---- Loading ----------------------------------------------------------------------------------

ORVRESULT LControlFactory::LoadDefinitions(const String& basePath, std::uint32_t languageId) {
    String frameworkPath, applicationPath, skinsPath;
    if (basePath == u"::") {
        m_basePath = basePath;
        frameworkPath = W("::FRAMEWORK_STRINGS");
        applicationPath = W("::APP_STRINGS");
        skinsPath = W("::APP_SKINS");
    } else {
        m_basePath = basePath;
        if (m_basePath.empty() || m_basePath.back() != u'/') m_basePath += u'/';
        frameworkPath = m_basePath + W("FrameworkStrings.xml");
        applicationPath = m_basePath + W("StringTables.xml");
        skinsPath = m_basePath + W("Skins.xml");
    }
    const ORVRESULT result = LoadStringTables(applicationPath, frameworkPath, languageId);
    if (Failed(result)) return result;
    return LoadSkins(skinsPath);
}

ORVRESULT LControlFactory::ReadDocument(const String& path, std::vector<char>& buffer) const {
    buffer.clear();
    if (path.size() >= 2 && path[0] == u':' && path[1] == u':') {
        std::string name = String(path.substr(2)).ToUtf8();
        std::replace(name.begin(), name.end(), '.', '_');
        const auto resource = Platform::FindResource("ORVXML", name);
        if (!resource) return E_FAIL;
        try {
            buffer.assign(resource->begin(), resource->end());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    std::ifstream file(Platform::Utf8Path(path.ToUtf8()), std::ios::binary | std::ios::ate);
    if (!file) return E_FAIL;
    const std::streamoff size = file.tellg();
    if (size < 0) return E_FAIL;
    try {
        buffer.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::length_error&) {
        return E_OUTOFMEMORY;
    }
    file.seekg(0);
    if (size > 0 && !file.read(buffer.data(), size)) return E_FAIL;
    return S_OK;
}

void LControlFactory::ResetReaderState(bool stringMode) {
    m_stringMode = stringMode;
    m_inColorizers = m_inParts = m_inLooks = m_inSkins = false;
    m_createParamOpen = false;
    m_createParamHasText = false;
    m_currentParameters.reset();
    m_currentParameterId.clear();
    m_currentControl = nullptr;
    m_currentTopLevelRoot = nullptr;
    m_currentLook = nullptr;
    m_currentLookList = nullptr;
    m_nonClientPartCounter = -1;
    m_pendingFont = PendingFont();
    m_currentFontLocale = 0;
    m_currentTable = nullptr;
    m_currentStringId.clear();
    m_collectedText = nullptr;
}

ORVRESULT LControlFactory::ParseDocument(const std::vector<char>& buffer, bool stringMode) {
    ResetReaderState(stringMode);
    if (buffer.empty()) {
        // Nothing to read is a document without a root element.
        m_lastError = "no element found";
        m_lastErrorLine = 1;
        return E_FAIL;
    }
    return ParseXML(buffer.data(), buffer.size());
}

ORVRESULT LControlFactory::LoadSkins(const String& path) {
    std::vector<char> buffer;
    const ORVRESULT read = ReadDocument(path, buffer);
    if (Failed(read)) return read;
    const ORVRESULT result = ParseDocument(buffer, false);
    m_currentRootIndex = 0;
    return result;
}

ORVRESULT LControlFactory::LoadStringTables(const String& applicationPath, const String& frameworkPath,
                                            std::uint32_t languageId) {
    std::vector<char> application, framework;
    // A document that is not there is skipped: its tables stay missing and lookups say so.
    if (ReadDocument(applicationPath, application) == E_OUTOFMEMORY) return E_OUTOFMEMORY;
    if (ReadDocument(frameworkPath, framework) == E_OUTOFMEMORY) return E_OUTOFMEMORY;

    auto parse = [&](const std::vector<char>& document, std::uint32_t language) {
        m_languageId = language;
        m_matchCount = 0;
        if (!document.empty()) ParseDocument(document, true);
        return m_matchCount;
    };

    if (parse(application, languageId) == 0) {
        const std::uint32_t fallback =
            (languageId == 0x0404 || languageId == 0x0C04 || languageId == 0x1404) ? 0x7C04u : (languageId & 0xFFu);
        if (parse(application, fallback) == 0) parse(application, 0x0009);
    }
    if (parse(framework, m_languageId) == 0) parse(framework, 0x0009);
    m_stringMode = false;
    return S_OK;
}

ORVRESULT LControlFactory::ParseXML(const char* buffer, std::size_t length) {
    if (!buffer) return E_INVALIDARG;
    if (length == 0) length = std::char_traits<char>::length(buffer);
    m_firstElement = true;
    m_lastError.clear();
    m_lastErrorLine = 0;

    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) return E_OUTOFMEMORY;
    ParseContext context{this, parser, nullptr};
    XML_SetUserData(parser, &context);
    XML_SetElementHandler(parser, OnStartElement, OnEndElement);
    XML_SetCharacterDataHandler(parser, OnCharacterData);

    // One call for the whole document; only a document beyond Expat's int length takes more.
    XML_Status status = XML_STATUS_OK;
    std::size_t offset = 0;
    do {
        const std::size_t piece = std::min<std::size_t>(length - offset, INT_MAX);
        const bool last = offset + piece == length;
        status = XML_Parse(parser, buffer + offset, static_cast<int>(piece), last ? XML_TRUE : XML_FALSE);
        offset += piece;
    } while (status == XML_STATUS_OK && offset < length);

    ORVRESULT result = S_OK;
    if (context.error) {
        m_lastError = ErrorText(context.error);
        m_lastErrorLine = static_cast<int>(XML_GetCurrentLineNumber(parser));
        result = E_FAIL;
    } else if (status != XML_STATUS_OK) {
        const char* text = XML_ErrorString(XML_GetErrorCode(parser));
        m_lastError = text ? text : "XML error";
        m_lastErrorLine = static_cast<int>(XML_GetCurrentLineNumber(parser));
        result = E_FAIL;
    }
    XML_ParserFree(parser);

    m_currentControl = nullptr;
    m_currentTopLevelRoot = nullptr;
    m_collectedText = nullptr;
    m_madeThisParse.clear();
    return result;
}

// ---- Callbacks ----------------------------------------------------------------------------------

void LControlFactory::XMLStartElement(const String& name, const AttributeMap& attributes) {
    if (m_firstElement) {
        m_firstElement = false;
        return;
    }
    if (name == u"Application") {
        if (const String* v = Find(attributes, u"Name"); v && *v != m_applicationName) m_applicationName = *v;
        return;
    }
    if (m_stringMode)
        StartStringElement(name, attributes);
    else
        StartSkinElement(name, attributes);
}

void LControlFactory::StartStringElement(const String& name, const AttributeMap& attributes) {
    if (name == u"StringTable") {
        const String* id = Find(attributes, u"ID");
        auto [it, inserted] = m_stringTables.try_emplace(id ? *id : String());
        if (inserted) it->second = MakeRC<LStringTable>();
        m_currentTable = it->second;
    } else if (name == u"String") {
        if (const String* id = Find(attributes, u"ID")) m_currentStringId = *id;
    } else if (name == u"Locale") {
        const String* lcid = Find(attributes, u"LCID");
        const std::uint32_t locale = lcid ? static_cast<std::uint32_t>(ReadInteger(*lcid)) : 0u;
        if (locale != m_languageId || !m_currentTable) return;
        ++m_matchCount;
        m_collectedText = &m_currentTable->strings[m_currentStringId];
    }
}

void LControlFactory::StartSkinElement(const String& name, const AttributeMap& attributes) {
    if (name == u"Colorizers") {
        m_inColorizers = true;
    } else if (name == u"Parts") {
        m_inParts = true;
    } else if (name == u"Looks") {
        m_inLooks = true;
    } else if (name == u"Skins") {
        m_inSkins = true;
    } else if (name == u"LookLists") {
        m_currentControl = nullptr;
    } else if (name == u"Colorizer") {
        ReadColorizer(attributes);
    } else if (name == u"Part") {
        ReadPart(attributes);
    } else if (name == u"Look") {
        if (m_inLooks) {
            const String* lookName = Find(attributes, u"Name");
            if (!lookName) return;
            m_currentLook = MakeRC<LLookDescriptor>();
            m_currentLook->name = *lookName;
            m_nonClientPartCounter = -1;
            m_looks.try_emplace(*lookName, m_currentLook);
        } else {
            ReadLookListEntry(attributes);
        }
    } else if (name == u"ClientPart") {
        ReadClientPart(attributes);
    } else if (name == u"NonClientParts") {
        m_nonClientPartCounter = -1;
    } else if (name == u"NonClientPart") {
        ReadNonClientPart(attributes);
    } else if (name == u"TextProperties") {
        ReadTextProperties(attributes);
    } else if (name == u"LookList") {
        ReadLookList(attributes);
    } else if (name == u"Skin") {
        if (m_currentControl)
            ReadControlSkin(attributes);
        else
            ReadTopLevelSkin(attributes);
    } else if (name == u"FontLocale") {
        if (const String* v = Find(attributes, u"LCID"))
            m_currentFontLocale = static_cast<std::uint32_t>(ReadInteger(*v));
    } else if (name == u"FontXLat") {
        ReadFontXLat(attributes);
    } else if (name == u"SubControl") {
        ReadSubControl(attributes);
    } else if (name == u"CreateParamList") {
        m_currentParameters.emplace();
    } else if (name == u"CreateParam") {
        const String* id = Find(attributes, u"ID");
        if (!id) return;
        m_currentParameterId = *id;
        m_createParamOpen = true;
        m_createParamHasText = false;
    }
}

void LControlFactory::ReadColorizer(const AttributeMap& attributes) {
    const String* name = Find(attributes, u"Name");
    const String* type = Find(attributes, u"ColorType");
    const String* color = Find(attributes, u"Color");
    if (!name || !type || !color) return;
    auto colorizer = MakeRC<LColorizer>();
    colorizer->name = *name;
    ReadColor(*color, colorizer->color);
    if (*type == u"LinearGradient" || *type == u"RadialGradient") {
        const String* endColor = Find(attributes, u"GradientEndColor");
        const String* startX = Find(attributes, u"GradientStartX");
        const String* startY = Find(attributes, u"GradientStartY");
        const String* endX = Find(attributes, u"GradientEndX");
        const String* endY = Find(attributes, u"GradientEndY");
        if (endColor && startX && startY && endX && endY) {
            colorizer->type = *type == u"LinearGradient" ? LColorizer::LinearGradient : LColorizer::RadialGradient;
            ReadColor(*endColor, colorizer->gradientEndColor);
            colorizer->gradientStartX = ReadFloat(*startX);
            colorizer->gradientStartY = ReadFloat(*startY);
            colorizer->gradientEndX = ReadFloat(*endX);
            colorizer->gradientEndY = ReadFloat(*endY);
        }
    }
    m_colorizers.try_emplace(*name, colorizer);
}

void LControlFactory::ReadPart(const AttributeMap& attributes) {
    const String* name = Find(attributes, u"Name");
    const String* width = Find(attributes, u"Width");
    const String* height = Find(attributes, u"Height");
    const String* resize = Find(attributes, u"ResizeType");
    if (!name || !width || !height || !resize) return;

    auto part = MakeRC<LVisualPartDescriptor>();
    part->name = *name;
    part->width = ReadInteger(*width);
    part->height = ReadInteger(*height);
    part->resizeType = *resize == u"Tile"     ? LVisualPartDescriptor::Tile
                       : *resize == u"Center" ? LVisualPartDescriptor::Center
                                              : LVisualPartDescriptor::Stretch;
    auto rectangle = [&](const String* file, std::u16string_view xName,
                         std::u16string_view yName) -> std::optional<LImageReference> {
        const String* x = Find(attributes, xName);
        const String* y = Find(attributes, yName);
        if (!file || !x || !y) return std::nullopt;
        return LImageReference{m_basePath + *file, ReadInteger(*x), ReadInteger(*y), part->width, part->height};
    };
    const String* imageFile = Find(attributes, u"ImageFile");
    if (imageFile && !imageFile->empty()) part->image = rectangle(imageFile, u"ImageLocX", u"ImageLocY");
    if (const String* colorizerName = Find(attributes, u"ColorizerName")) {
        auto it = m_colorizers.find(*colorizerName);
        if (it != m_colorizers.end()) part->colorizer = it->second;
    }
    if (!part->image && !part->colorizer) return;
    if (const String* v = Find(attributes, u"ColorizerAlphaMod")) part->colorizerAlphaMod = ReadFloat(*v);
    part->mask = rectangle(Find(attributes, u"ColorizerMaskFile"), u"MaskLocX", u"MaskLocY");
    m_parts.try_emplace(*name, part);
}

void LControlFactory::ReadClientPart(const AttributeMap& attributes) {
    if (!m_currentLook) return;
    const String* name = Find(attributes, u"Name");
    const String* left = Find(attributes, u"OffsetLeft");
    const String* top = Find(attributes, u"OffsetTop");
    const String* right = Find(attributes, u"OffsetRight");
    const String* bottom = Find(attributes, u"OffsetBottom");
    if (!name || !left || !top || !right || !bottom) return;
    auto part = m_parts.find(*name);
    if (part == m_parts.end()) return;
    LDockedPart docked;
    docked.dockFlags = LDockedPart::DockAll;
    docked.left = ReadInteger(*left);
    docked.top = ReadInteger(*top);
    docked.right = ReadInteger(*right);
    docked.bottom = ReadInteger(*bottom);
    docked.part = part->second;
    m_currentLook->clientPart = docked;
}

void LControlFactory::ReadNonClientPart(const AttributeMap& attributes) {
    if (!m_currentLook) return;
    const String* name = Find(attributes, u"Name");
    if (!name) return;
    auto part = m_parts.find(*name);
    if (part == m_parts.end()) return;
    LDockedPart docked;
    docked.part = part->second;
    auto offset = [&](std::u16string_view key, std::uint32_t flag, int& value) {
        if (const String* v = Find(attributes, key)) {
            docked.dockFlags |= flag;
            value = ReadInteger(*v);
        }
    };
    offset(u"OffsetLeft", LDockedPart::DockLeft, docked.left);
    offset(u"OffsetTop", LDockedPart::DockTop, docked.top);
    offset(u"OffsetRight", LDockedPart::DockRight, docked.right);
    offset(u"OffsetBottom", LDockedPart::DockBottom, docked.bottom);
    if (const String* v = Find(attributes, u"Width")) {
        docked.width = ReadInteger(*v);
        docked.hasWidth = docked.width > 0;
    }
    if (const String* v = Find(attributes, u"Height")) {
        docked.height = ReadInteger(*v);
        docked.hasHeight = docked.height > 0;
    }
    ++m_nonClientPartCounter;
    m_currentLook->nonClientParts.push_back(docked);
}

void LControlFactory::ReadTextProperties(const AttributeMap& attributes) {
    if (!m_currentLook) return;
    static const char16_t* const kNames[] = {u"TextLeftRel",   u"TextLeftAbs", u"TextRightRel",      u"TextRightAbs",
                                             u"TextHAlign",    u"TextTopRel",  u"TextTopAbs",        u"TextBottomRel",
                                             u"TextBottomAbs", u"TextVAlign",  u"TextForegroundPart"};
    const String* v[std::size(kNames)];
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        v[i] = Find(attributes, kNames[i]);
        if (!v[i]) return;
    }
    auto foreground = m_parts.find(*v[10]);
    if (foreground == m_parts.end()) return;
    LLookDescriptor& look = *m_currentLook;
    look.textLeftRel = ReadFloat(*v[0]);
    look.textLeftAbs = ReadInteger(*v[1]);
    look.textRightRel = ReadFloat(*v[2]);
    look.textRightAbs = ReadInteger(*v[3]);
    look.textHAlign = ReadFloat(*v[4]);
    look.textTopRel = ReadFloat(*v[5]);
    look.textTopAbs = ReadInteger(*v[6]);
    look.textBottomRel = ReadFloat(*v[7]);
    look.textBottomAbs = ReadInteger(*v[8]);
    look.textVAlign = ReadFloat(*v[9]);
    look.textForegroundPart = foreground->second;
    look.hasTextProperties = true;
}

RCPtr<LSkinDescriptor> LControlFactory::CurrentSkin() {
    if (!m_currentControl) return nullptr;
    if (!m_currentControl->skin) m_currentControl->skin = MakeRC<LSkinDescriptor>();
    return m_currentControl->skin;
}

void LControlFactory::ReadLookList(const AttributeMap& attributes) {
    const String* name = Find(attributes, u"Name");
    const String* count = Find(attributes, u"NumLooks");
    if (!name || !count) return;
    auto existing = m_lookLists.find(*name);
    if (existing != m_lookLists.end()) {
        if (auto skin = CurrentSkin()) skin->lookList = existing->second;
        m_currentLookList = nullptr;
        return;
    }
    const int looks = ReadInteger(*count);
    if (looks < 0 || looks >= kMaxLooksPerList) {
        m_currentLookList = nullptr;
        return;
    }
    m_currentLookList = MakeRC<LLookList>(static_cast<std::size_t>(looks));
    m_lookLists.emplace(*name, m_currentLookList);
    if (auto skin = CurrentSkin()) skin->lookList = m_currentLookList;
}

void LControlFactory::ReadLookListEntry(const AttributeMap& attributes) {
    if (!m_currentLookList) return;
    const String* name = Find(attributes, u"Name");
    const String* index = Find(attributes, u"Index");
    if (!name || !index) return;
    auto look = m_looks.find(*name);
    if (look == m_looks.end()) return;
    // An entry outside the list is dropped rather than growing the list the document declared.
    const int at = ReadPlainInteger(*index);
    if (at < 0 || static_cast<std::size_t>(at) >= m_currentLookList->looks.size()) return;
    m_currentLookList->looks[static_cast<std::size_t>(at)] = look->second;
}

void LControlFactory::ReadTopLevelSkin(const AttributeMap& attributes) {
    auto skin = MakeRC<LSkinDescriptor>();
    if (const String* v = Find(attributes, u"Name")) skin->name = *v;
    auto root = MakeRC<LControlDescriptor>(W("Application"), m_applicationName, nullptr);
    m_roots.push_back(root);
    m_madeThisParse.push_back(root);
    m_currentControl = root;
    m_currentTopLevelRoot = root.Get();
    if (const String* v = Find(attributes, u"FontName")) skin->fontName = *v;
    if (const String* v = Find(attributes, u"FontSize")) skin->fontSize = ReadFloat(*v);
    if (const String* v = Find(attributes, u"FontStyle")) skin->fontStyle = ReadInteger(*v);
    m_fontXLat.clear();
    root->skin = skin;
}

void LControlFactory::ReadControlSkin(const AttributeMap& attributes) {
    auto skin = MakeRC<LSkinDescriptor>();
    if (const String* v = Find(attributes, u"Name")) skin->name = *v;
    auto translated = m_fontXLat.find(m_pendingFont.name);
    skin->fontName = translated != m_fontXLat.end() ? translated->second : m_pendingFont.name;
    skin->fontSize = m_pendingFont.size;
    skin->fontStyle = m_pendingFont.style;
    skin->fontInheritsFromParent = m_pendingFont.inheritsFromParent;
    skin->fontSizeIsRelative = m_pendingFont.sizeIsRelative;
    if (const String* v = Find(attributes, u"LookList")) {
        auto list = m_lookLists.find(*v);
        if (list != m_lookLists.end()) skin->lookList = list->second;
    }
    m_currentControl->skin = skin;
}

void LControlFactory::ReadFontXLat(const AttributeMap& attributes) {
    if (m_currentFontLocale != m_languageId) return;
    const String* name = Find(attributes, u"Name");
    const String* xlat = Find(attributes, u"XLat");
    if (!name || !xlat) return;
    m_fontXLat.insert_or_assign(*name, *xlat);
    if (m_currentControl && m_currentControl->skin && m_currentControl->skin->fontName == *name)
        m_currentControl->skin->fontName = *xlat;
}

void LControlFactory::ReadSubControl(const AttributeMap& attributes) {
    const String* className = Find(attributes, u"Class");
    const String* controlName = Find(attributes, u"Name");
    if (!className || !controlName)
        ORV_THROW(Runtime, "Bad Subcontrol Element", "Orv::LControlFactory::XMLStartElement", 1084);

    LControlDescriptor* parent = m_currentControl.Get();
    auto control = MakeRC<LControlDescriptor>(*className, *controlName, parent);
    if (parent) parent->children.push_back(control);
    m_madeThisParse.push_back(control);
    m_currentControl = control;

    LLayoutDescriptor& layout = *control->layout;
    if (const String* v = Find(attributes, u"ClipToParent")) layout.clipToParent = ReadBoolean(*v);
    if (const String* v = Find(attributes, u"Z_Order")) layout.zOrder = ReadPlainInteger(*v);
    // The children of a root are top-level controls: their tab order and visibility are decided
    // when they are created, not by the skin.
    if (!parent || parent->className != u"Application") {
        if (const String* v = Find(attributes, u"TabStop")) layout.tabStop = ReadPlainInteger(*v);
        if (const String* v = Find(attributes, u"IsVisible")) layout.visible = ReadBoolean(*v);
    }
    if (const String* v = Find(attributes, u"LayoutOrder")) layout.layoutOrder = ReadInteger(*v);
    ReadAxis(attributes, u'X', layout.x);
    ReadAxis(attributes, u'Y', layout.y);
    if (const String* v = Find(attributes, u"TextDecoration")) layout.textDecoration = *v;
    if (const String* v = Find(attributes, u"TextOverflowXType")) {
        if (*v == u"Clip")
            layout.textOverflowX = TextOverflowX::Clip;
        else if (*v == u"Expand")
            layout.textOverflowX = TextOverflowX::Expand;
        else if (*v == u"Wrap")
            layout.textOverflowX = TextOverflowX::Wrap;
    }
    if (const String* v = Find(attributes, u"TextOverflowYType")) {
        if (*v == u"Clip")
            layout.textOverflowY = TextOverflowY::Clip;
        else if (*v == u"Expand")
            layout.textOverflowY = TextOverflowY::Expand;
    }

    m_pendingFont = PendingFont();
    if (const String* v = Find(attributes, u"FontInheritsFromParent"))
        m_pendingFont.inheritsFromParent = ReadBoolean(*v);
    if (const String* v = Find(attributes, u"FontSizeIsRelative")) m_pendingFont.sizeIsRelative = ReadBoolean(*v);
    if (const String* v = Find(attributes, u"FontName")) m_pendingFont.name = *v;
    if (const String* v = Find(attributes, u"FontSize"))
        m_pendingFont.size = ReadFloat(*v);
    else
        m_pendingFont.sizeIsRelative = false;  // a relative size of nothing means no size
    if (const String* v = Find(attributes, u"FontStyle")) m_pendingFont.style = ReadInteger(*v);
}

void LControlFactory::XMLEndElement(const String& name) {
    if (m_stringMode) {
        m_collectedText = nullptr;
        return;
    }
    if (name == u"SubControl") {
        if (!m_currentControl) return;
        auto& children = m_currentControl->children;
        std::stable_sort(children.begin(), children.end(),
                         [](const auto& a, const auto& b) { return a->layout->layoutOrder < b->layout->layoutOrder; });
        m_currentControl = m_currentControl->parent;
    } else if (name == u"Skin") {
        if (m_currentControl && m_currentControl.Get() == m_currentTopLevelRoot) {
            m_currentControl = nullptr;
            m_currentTopLevelRoot = nullptr;
        }
    } else if (name == u"CreateParamList") {
        if (m_currentControl && m_currentParameters) m_currentControl->createParameters = *m_currentParameters;
    } else if (name == u"CreateParam") {
        m_createParamOpen = false;
    } else if (name == u"Skins") {
        m_inSkins = false;
    } else if (name == u"Looks") {
        m_inLooks = false;
    } else if (name == u"Parts") {
        m_inParts = false;
    } else if (name == u"Colorizers") {
        m_inColorizers = false;
    }
}

void LControlFactory::XMLCharacterData(const char* text, int length) {
    if (!text || length <= 0) return;
    const String piece(Utf8ToUtf16(std::string_view(text, static_cast<std::size_t>(length))));
    if (m_stringMode) {
        if (m_collectedText) *m_collectedText += piece;
        return;
    }
    if (!m_createParamOpen || !m_currentParameters) return;
    // The parser may hand one text over in several pieces (around entities, at line ends): they
    // all belong to the parameter. A later element with the same ID replaces it.
    String& value = (*m_currentParameters)[m_currentParameterId];
    if (m_createParamHasText)
        value += piece;
    else
        value = piece;
    m_createParamHasText = true;
}

// ---- What was read ------------------------------------------------------------------------------

namespace {
template <class T, class Map>
ConstRCPtr<T> FindIn(const Map& map, const String& name) {
    auto it = map.find(name);
    return it == map.end() ? ConstRCPtr<T>() : ConstRCPtr<T>(it->second.Get());
}
}  // namespace

ConstRCPtr<LColorizer> LControlFactory::FindColorizer(const String& name) const {
    return FindIn<LColorizer>(m_colorizers, name);
}
ConstRCPtr<LVisualPartDescriptor> LControlFactory::FindPart(const String& name) const {
    return FindIn<LVisualPartDescriptor>(m_parts, name);
}
ConstRCPtr<LLookDescriptor> LControlFactory::FindLook(const String& name) const {
    return FindIn<LLookDescriptor>(m_looks, name);
}
ConstRCPtr<LLookList> LControlFactory::FindLookList(const String& name) const {
    return FindIn<LLookList>(m_lookLists, name);
}
ConstRCPtr<LStringTable> LControlFactory::FindStringTable(const String& tableId) const {
    return FindIn<LStringTable>(m_stringTables, tableId);
}

RCPtr<LControlDescriptor> LControlFactory::GetRoot(std::size_t index) const {
    return index < m_roots.size() ? m_roots[index] : nullptr;
}

ORVRESULT LControlFactory::SetCurrentRootIndex(std::size_t index) {
    if (index >= m_roots.size()) return E_INVALIDARG;
    m_currentRootIndex = index;
    return S_OK;
}

RCPtr<LControlDescriptor> LControlFactory::FindControlDescriptor(const String& controlName) const {
    const RCPtr<LControlDescriptor> root = GetRoot(m_currentRootIndex);
    if (!root) return nullptr;
    for (auto it = root->children.rbegin(); it != root->children.rend(); ++it)
        if ((*it)->controlName == controlName) return *it;
    return nullptr;
}

ConstRCPtr<LStringTable> LControlFactory::GetStringTable(const LControlDescriptor* parentDescriptor,
                                                         const String& controlName) const {
    String key = parentDescriptor ? parentDescriptor->className : m_applicationName;
    key += u'|';
    key += controlName;
    return FindStringTable(key);
}

ConstRCPtr<LStringTable> LControlFactory::GetApplicationStringTable() const {
    return FindStringTable(String(u"|") + m_applicationName);
}

ConstRCPtr<LStringTable> LControlFactory::GetFrameworkStringTable() const { return FindStringTable(W("Framework")); }

}  // namespace Orv
