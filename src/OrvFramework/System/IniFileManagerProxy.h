#pragma once
// Loads the optional settings plug-in and forwards to its entry points. Without the plug-in every
// operation answers 0x80004005 (node exists answers false), so the program runs on defaults.
#include <cstdint>

#include "OrvFramework/ObjectBase/ResultCodes.h"
#include "OrvFramework/Platform/PluginLibrary.h"
#include "OrvFramework/System/IniFileManagerPlugin.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

class CIniFileManagerProxy {
public:
    CIniFileManagerProxy() = default;
    CIniFileManagerProxy(const CIniFileManagerProxy&) = delete;
    CIniFileManagerProxy& operator=(const CIniFileManagerProxy&) = delete;

    // Loads the plug-in (PluginFileName("IniFileManager")) from the folder; with an empty folder from the executable's
    // folder, then through the ordinary library search. 1 when loaded already; 0x80004005 unless
    // the library and all fifteen entry points are found.
    virtual ORVRESULT Load(const String& folder);
    // Loads the plug-in from an explicit file path.
    virtual ORVRESULT LoadFromPath(const String& path);
    virtual ORVRESULT Unload();
    virtual ORVRESULT Open(const String& path, const String& version, const String& product, OrvIniHandle& handle);
    virtual ORVRESULT Write(OrvIniHandle handle);
    virtual bool DoesNodeExist(OrvIniHandle handle, const String& node);
    virtual ORVRESULT Close(OrvIniHandle handle, bool writeFirst);
    virtual ORVRESULT GetInt(OrvIniHandle handle, const String& key, std::int32_t defaultValue, std::int32_t& value);
    virtual ORVRESULT SetInt(OrvIniHandle handle, const String& key, std::int32_t value);
    virtual ORVRESULT GetString(OrvIniHandle handle, const String& key, String& value);
    virtual ORVRESULT SetString(OrvIniHandle handle, const String& key, const String& value);
    virtual ORVRESULT GetKeyCount(OrvIniHandle handle, const String& node, std::int32_t& count);
    virtual ORVRESULT GetKeyNameAt(OrvIniHandle handle, const String& node, std::int32_t index, String& name);
    virtual ORVRESULT GetArrayCount(OrvIniHandle handle, const String& node, std::int32_t& count);
    virtual ORVRESULT SetArrayCount(OrvIniHandle handle, const String& node, std::int32_t count);
    virtual ORVRESULT GetArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index, String& item);
    virtual ORVRESULT SetArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index, const String& item);
    virtual ORVRESULT RemoveArrayItemAt(OrvIniHandle handle, const String& node, std::int32_t index);
    virtual ~CIniFileManagerProxy();

    bool IsLoaded() const { return m_library.IsLoaded(); }

private:
    ORVRESULT LoadLibrary(const std::string& file);

    struct EntryPoints {
        OpenIniFileFn open = nullptr;
        WriteIniFileFn write = nullptr;
        CloseIniFileFn close = nullptr;
        DoesNodeExistFn nodeExists = nullptr;
        GetIniValueIntFn getInt = nullptr;
        SetIniValueIntFn setInt = nullptr;
        GetIniValueStrFn getStr = nullptr;
        SetIniValueStrFn setStr = nullptr;
        GetKeyCountFn keyCount = nullptr;
        GetKeyNameAtFn keyNameAt = nullptr;
        GetArrayCountFn arrayCount = nullptr;
        SetArrayCountFn setArrayCount = nullptr;
        GetArrayItemAtFn arrayItemAt = nullptr;
        SetArrayItemAtFn setArrayItemAt = nullptr;
        RemoveArrayItemAtFn removeArrayItemAt = nullptr;
    };
    Platform::PluginLibrary m_library;
    EntryPoints m_fn;
};

}  // namespace Orv
