#pragma once
// The control factory: it reads the skin definitions and the localized string tables from XML
// documents (program resources or files in a folder) into descriptor tables, and hands out control
// descriptors and string tables. Creating controls from the descriptors is its other half.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "OrvFramework/ControlBase/ControlDescriptor.h"
#include "OrvFramework/ControlBase/StringTable.h"
#include "OrvFramework/ObjectBase/ResultCodes.h"

namespace Orv {

class IControlHost;

class LControlFactory : public LRefCountedObject {
public:
    using AttributeMap = std::map<String, String>;

    explicit LControlFactory(String name = String());
    ~LControlFactory() override;

    // --- Loading -------------------------------------------------------------------------------
    // basePath "::" reads the resources FRAMEWORK_STRINGS, APP_STRINGS and APP_SKINS (type ORVXML);
    // any other basePath is a folder holding FrameworkStrings.xml, StringTables.xml and Skins.xml.
    // String tables first (a failure there is returned at once), then the skins.
    ORVRESULT LoadDefinitions(const String& basePath, std::uint32_t languageId);
    // "::NAME" is the resource NAME (dots become underscores), anything else a file path.
    ORVRESULT LoadSkins(const String& path);
    // Reads the application and the framework tables in languageId, falling back per document.
    ORVRESULT LoadStringTables(const String& applicationPath, const String& frameworkPath, std::uint32_t languageId);
    // One whole document in memory, UTF-8 or UTF-16 with a byte-order mark; length 0 means the
    // buffer is zero-terminated. Parses in the mode the last loader set (skin mode by default).
    ORVRESULT ParseXML(const char* buffer, std::size_t length);

    // The parser's callbacks.
    void XMLStartElement(const String& name, const AttributeMap& attributes);
    void XMLEndElement(const String& name);
    void XMLCharacterData(const char* text, int length);

    // The last failure of a parse: the parser's error text (or the error raised while reading an
    // element) and the line it stopped at. Empty and 0 after a clean parse.
    const std::string& GetLastParseError() const { return m_lastError; }
    int GetLastParseErrorLine() const { return m_lastErrorLine; }

    // --- What was read ---------------------------------------------------------------------------
    const String& GetName() const { return m_name; }
    const String& GetApplicationName() const { return m_applicationName; }
    // "::" for resources, the folder with a trailing "/" otherwise; prefixes the skin's image files.
    const String& GetBasePath() const { return m_basePath; }
    // The language the tables were read in (after fallback).
    std::uint32_t GetLanguageId() const { return m_languageId; }

    ConstRCPtr<LColorizer> FindColorizer(const String& name) const;
    ConstRCPtr<LVisualPartDescriptor> FindPart(const String& name) const;
    ConstRCPtr<LLookDescriptor> FindLook(const String& name) const;
    ConstRCPtr<LLookList> FindLookList(const String& name) const;
    const std::map<String, String>& GetFontTranslations() const { return m_fontXLat; }

    // One root per top-level Skin, in document order.
    std::size_t GetRootCount() const { return m_roots.size(); }
    RCPtr<LControlDescriptor> GetRoot(std::size_t index) const;
    std::size_t GetCurrentRootIndex() const { return m_currentRootIndex; }
    ORVRESULT SetCurrentRootIndex(std::size_t index);
    // A top-level control of the current root by name; with duplicates the last one in layout
    // order wins. None when there is no such control.
    RCPtr<LControlDescriptor> FindControlDescriptor(const String& controlName) const;

    // The table of a control: parentDescriptor is the descriptor of the control's parent control,
    // or null for a top-level control (the key then starts with the application name).
    ConstRCPtr<LStringTable> GetStringTable(const LControlDescriptor* parentDescriptor,
                                            const String& controlName) const;
    ConstRCPtr<LStringTable> FindStringTable(const String& tableId) const;
    ConstRCPtr<LStringTable> GetApplicationStringTable() const;
    ConstRCPtr<LStringTable> GetFrameworkStringTable() const;

    // --- Creating controls -----------------------------------------------------------------------
    // The first registration of a class name stays; always 0.
    ORVRESULT RegisterControlClass(const String& className, ControlCreateFunction createFunction);
    // 0 and the function; an unregistered name raises a runtime error.
    ORVRESULT GetControlCreateFunction(const String& className, ControlCreateFunction& createFunction) const;
    bool IsControlClassRegistered(const String& className) const { return m_classes.count(className) != 0; }
    // A top-level control of the current root by name, made visible and attached to window (which
    // may be null). None when the root has no such control.
    RCPtr<LControl> CreateControl(const String& controlName, IControlHost* window);
    // The control of one descriptor under parent (children); visibility as the skin says.
    RCPtr<LControl> CreateControl(const ConstRCPtr<LControlDescriptor>& descriptor, LControl* parent);
    // Hands a top-level control the descriptor of its name in the current root again.
    ORVRESULT ReapplyDescriptor(LControl* control);
    // 0 when the current root's skin supplies at least one of the three values, else 1.
    ORVRESULT GetDefaultFont(String& fontName, float& fontSize, int& fontStyle) const;
    // The font name text layout falls back to when a skin names none.
    static const String& GetFrameworkDefaultFontName();
    // The factory whose create call is running on this thread; controls take their string table
    // from it while they are constructed.
    static LControlFactory* GetCreatingFactory();

private:
    struct PendingFont {
        bool inheritsFromParent = false;
        bool sizeIsRelative = false;
        String name;
        float size = 0.0f;
        int style = -1;
    };

    ORVRESULT ReadDocument(const String& path, std::vector<char>& buffer) const;
    ORVRESULT ParseDocument(const std::vector<char>& buffer, bool stringMode);
    void ResetReaderState(bool stringMode);

    void StartSkinElement(const String& name, const AttributeMap& attributes);
    void StartStringElement(const String& name, const AttributeMap& attributes);
    void ReadColorizer(const AttributeMap& attributes);
    void ReadPart(const AttributeMap& attributes);
    void ReadClientPart(const AttributeMap& attributes);
    void ReadNonClientPart(const AttributeMap& attributes);
    void ReadTextProperties(const AttributeMap& attributes);
    void ReadLookList(const AttributeMap& attributes);
    void ReadLookListEntry(const AttributeMap& attributes);
    void ReadTopLevelSkin(const AttributeMap& attributes);
    void ReadControlSkin(const AttributeMap& attributes);
    void ReadFontXLat(const AttributeMap& attributes);
    void ReadSubControl(const AttributeMap& attributes);
    RCPtr<LSkinDescriptor> CurrentSkin();

    String m_name;
    String m_applicationName;
    String m_basePath;
    std::uint32_t m_languageId = 0x0009;

    // The five name-keyed tables; the first definition of a name wins.
    std::map<String, RCPtr<LColorizer>> m_colorizers;
    std::map<String, RCPtr<LVisualPartDescriptor>> m_parts;
    std::map<String, RCPtr<LLookDescriptor>> m_looks;
    std::map<String, RCPtr<LLookList>> m_lookLists;
    std::map<String, String> m_fontXLat;

    std::vector<RCPtr<LControlDescriptor>> m_roots;
    std::size_t m_currentRootIndex = 0;
    std::map<String, RCPtr<LStringTable>> m_stringTables;

    std::map<String, ControlCreateFunction> m_classes;

    std::string m_lastError;
    int m_lastErrorLine = 0;

    // Reader state, valid during one parse.
    bool m_stringMode = false;
    bool m_firstElement = true;
    bool m_inColorizers = false;
    bool m_inParts = false;
    bool m_inLooks = false;
    bool m_inSkins = false;
    RCPtr<LControlDescriptor> m_currentControl;
    LControlDescriptor* m_currentTopLevelRoot = nullptr;
    // Every descriptor made during the parse, so that parent pointers stay valid while the tree
    // is still being built, even for controls the document leaves outside any root.
    std::vector<RCPtr<LControlDescriptor>> m_madeThisParse;
    RCPtr<LLookDescriptor> m_currentLook;
    RCPtr<LLookList> m_currentLookList;
    int m_nonClientPartCounter = -1;
    std::optional<CreateParameters> m_currentParameters;
    String m_currentParameterId;
    bool m_createParamOpen = false;
    bool m_createParamHasText = false;
    PendingFont m_pendingFont;
    std::uint32_t m_currentFontLocale = 0;
    // String mode.
    RCPtr<LStringTable> m_currentTable;
    String m_currentStringId;
    String* m_collectedText = nullptr;
    int m_matchCount = 0;
};

}  // namespace Orv
