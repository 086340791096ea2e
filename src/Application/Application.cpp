#include "Application/Application.h"

#include "Application/Version.h"
#include "FirmwareUpdater/UI/MainControl.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Notification/Notification.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Notification/NotificationIDs.h"
#include "OrvFramework/Platform/Folders.h"
#include "OrvFramework/System/DebugTracer.h"

namespace Orv {

LFrameworkApp::LFrameworkApp() : m_center(GetApplicationNotificationCenter()) {}

LFrameworkApp::~LFrameworkApp() = default;

bool LFrameworkApp::ProcessNotifications(bool sendIdle) {
    return LNotificationCenterManager::Get().ProcessAllQueues(sendIdle);
}

namespace {

// The source line each framework class's registration is reported with, in registration order.
constexpr int kRegistrationLines[] = {91,  94,  96,  97,  98,  99,  100, 101, 102, 103, 104, 105,
                                      106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117,
                                      118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128};

const String kSkinIndexKey = W("CurrentSkinIndex");

}  // namespace

ORVRESULT LFrameworkApp::RunApplicationStartup(LControlFactory& factory) {
    try {
        std::size_t failedIndex = 0;
        const ORVRESULT registered = RegisterFrameworkControlClasses(factory, &failedIndex);
        if (Failed(registered)) {
            const int line = failedIndex < std::size(kRegistrationLines)
                                 ? kRegistrationLines[failedIndex]
                                 : kRegistrationLines[std::size(kRegistrationLines) - 1];
            ThrowFailedResult(registered, "Orv::LFrameworkApp::RunApplicationStartup", __FILE__, line);
        }
        // The stored skin, limited to the skins this program carries.
        const std::int32_t stored = ReadUserSettingInt(kSkinIndexKey, 0);
        const std::size_t count = factory.GetRootCount();
        std::size_t index = stored > 0 ? static_cast<std::size_t>(stored) : 0;
        if (count > 0 && index > count - 1) index = count - 1;
        SetSkin(factory, index);
        return S_OK;
    } catch (const std::exception& e) {
        DebugTracer::Instance().TraceLine(0, "%s", e.what());
        return E_FAIL;
    }
}

void LFrameworkApp::SetSkin(LControlFactory& factory, std::size_t index, LRootWindow* root) {
    constexpr const char* kFunction = "Orv::LFrameworkApp::SetSkin";
    constexpr const char* kFile = ".\\Application\\FrameworkApp";
    LControl* content = root != nullptr ? root->GetContent().Get() : nullptr;
    if (content != nullptr) root->SetBusyText(W("Loading Skin..."));
    struct BusyEnd {
        LRootWindow* root;
        ~BusyEnd() {
            if (root != nullptr) root->SetBusyText(String());
        }
    } busyEnd{content != nullptr ? root : nullptr};

    const ORVRESULT selected = factory.SetCurrentRootIndex(index);
    if (Failed(selected)) ThrowFailedResult(selected, kFunction, kFile, 223);
    if (content != nullptr) {
        const ORVRESULT applied = factory.ReapplyDescriptor(content);
        if (Failed(applied)) ThrowFailedResult(applied, kFunction, kFile, 223);
        root->Refresh();
    }
    WriteUserSettingInt(kSkinIndexKey, static_cast<std::int32_t>(index));
}

std::int32_t LFrameworkApp::ReadUserSettingInt(const String&, std::int32_t defaultValue) { return defaultValue; }

ORVRESULT LFrameworkApp::WriteUserSettingInt(const String&, std::int32_t) { return E_FAIL; }

void LFrameworkApp::Shutdown() {
    if (m_center) Unregister(m_center.Get(), InternNotificationID(NID_APP_EXIT_REQ));
    m_center = nullptr;
    LNotificationCenterManager::Get().ReleaseAll();
}

}  // namespace Orv

using namespace Orv;

LApplication::LApplication(String commandLine, UpdateEnvironment environment, RCPtr<LControlFactory> factory)
    : m_commandLine(std::move(commandLine)), m_environment(std::move(environment)), m_factory(std::move(factory)) {}

LApplication::~LApplication() = default;

ORVRESULT LApplication::InitializeApplication() {
    if (!m_center) return E_FAIL;
    if (m_factory && Failed(RunApplicationStartup(*m_factory))) return E_FAIL;
    Register(m_center.Get(), NID_APP_EXIT_REQ);
    if (m_factory) RegisterMainControlClass(*m_factory);
    m_processor = MakeRC<LUpdateProcessor>(m_environment);
    {
        std::lock_guard guard(m_busyLock);
        m_busyProcessor = m_processor.Get();
    }
    const ORVRESULT result = m_processor->Initialize(m_commandLine);
    m_processorAccess = std::make_unique<LUpdateProcessorAdapter>(m_processor);
    SetMainControlProcessor(m_processorAccess.get());
    return result;
}

ORVRESULT LApplication::ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) {
    if (notification && notification->GetID() == InternNotificationID(NID_APP_EXIT_REQ)) {
        // An exit while the device is being programmed would leave it half-written: refuse it.
        if (!CanExit()) {
            // The window says why nothing happened.
            if (RCPtr<LNotification> refused = LNotification::Create(NID_APP_EXIT_REFUSED))
                m_center->Post(refused.Get());
            return S_OK;
        }
        LFrameworkApp::ReceiveNotification(sender, notification);
        if (m_onExit) m_onExit();
        return S_OK;
    }
    return LFrameworkApp::ReceiveNotification(sender, notification);
}

bool LApplication::CanExit() const { return !m_processor || m_processor->IsIdle(); }

bool LApplication::IsUpdateRunning() const {
    std::lock_guard guard(m_busyLock);
    return m_busyProcessor != nullptr && !m_busyProcessor->IsIdle();
}

void LApplication::Shutdown() {
    {
        std::lock_guard guard(m_busyLock);
        m_busyProcessor = nullptr;
    }
    SetMainControlProcessor(nullptr);
    m_processorAccess.reset();
    m_processor = nullptr;  // ends the worker thread and closes the engine's handles
    for (int i = 0; i < 2; ++i) {
        if (m_iniManagers[i] && m_iniHandles[i] != nullptr) m_iniManagers[i]->Close(m_iniHandles[i], true);
        m_iniHandles[i] = nullptr;
        m_iniManagers[i] = nullptr;
    }
    LFrameworkApp::Shutdown();
}

String LApplication::GetFolder(int pathId) const {
    return Platform::GetApplicationFolder(pathId, GetCompanyName(), GetProductName());
}

String LApplication::GetCompanyName() const { return Version().GetCompanyName(); }
String LApplication::GetProductName() const { return Version().GetProductName(); }

RCPtr<LIniFileManager> LApplication::GetIniFileManager(int index) {
    if (index < 0 || index > 1) return nullptr;
    if (!m_iniManagers[index]) {
        auto manager = MakeRC<LIniFileManager>();
        manager->Load(m_iniFolder);
        m_iniManagers[index] = manager;
        if (manager->IsLoaded()) {
            const String path =
                GetFolder(index == 0 ? 2 : 3) + W(index == 0 ? "/AppSettings.ini" : "/UserSettings.ini");
            ::OrvIniHandle handle = nullptr;
            if (Succeeded(manager->Open(path, GetSettingsVersion(), GetProductName(), handle)))
                m_iniHandles[index] = handle;
        }
    }
    return m_iniManagers[index];
}

::OrvIniHandle LApplication::GetIniHandle(int index) {
    if (!GetIniFileManager(index)) return nullptr;
    return m_iniHandles[index];
}

std::int32_t LApplication::ReadUserSettingInt(const String& key, std::int32_t defaultValue) {
    std::int32_t value = defaultValue;
    if (::OrvIniHandle handle = GetIniHandle(1)) {
        if (Failed(m_iniManagers[1]->GetInt(handle, key, defaultValue, value))) value = defaultValue;
    }
    return value;
}

ORVRESULT LApplication::WriteUserSettingInt(const String& key, std::int32_t value) {
    ::OrvIniHandle handle = GetIniHandle(1);
    if (handle == nullptr) return E_FAIL;
    const ORVRESULT set = m_iniManagers[1]->SetInt(handle, key, value);
    if (Failed(set)) return set;
    return m_iniManagers[1]->Write(handle);
}
