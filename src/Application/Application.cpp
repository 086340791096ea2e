#include "Application/Application.h"

#include "Application/Version.h"
#include "FirmwareUpdater/UI/MainControl.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Notification/Notification.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Platform/Folders.h"

namespace Orv {

LFrameworkApp::LFrameworkApp() : m_center(GetApplicationNotificationCenter()) {}

LFrameworkApp::~LFrameworkApp() = default;

bool LFrameworkApp::ProcessNotifications(bool sendIdle) {
    return LNotificationCenterManager::Get().ProcessAllQueues(sendIdle);
}

void LFrameworkApp::Shutdown() {
    if (m_center) Unregister(m_center.Get(), InternNotificationID(u"NID_APP_EXIT_REQ"));
    m_center = nullptr;
    LNotificationCenterManager::Get().ReleaseAll();
}

}  // namespace Orv

using namespace Orv;

LApplication::LApplication(String commandLine, UpdateEnvironment environment,
                           RCPtr<LControlFactory> factory)
    : m_commandLine(std::move(commandLine)),
      m_environment(std::move(environment)),
      m_factory(std::move(factory)) {}

LApplication::~LApplication() = default;

ORVRESULT LApplication::InitializeApplication() {
    if (!m_center) return E_FAIL;
    if (m_factory) {
        // The framework's control classes, then the updater's own main control.
        if (Failed(RegisterFrameworkControlClasses(*m_factory))) return E_FAIL;
        RegisterMainControlClass(*m_factory);
    }
    Register(m_center.Get(), u"NID_APP_EXIT_REQ");
    m_processor = MakeRC<LUpdateProcessor>(m_environment);
    const ORVRESULT result = m_processor->Initialize(m_commandLine);
    m_processorAccess = std::make_unique<LUpdateProcessorAdapter>(m_processor);
    SetMainControlProcessor(m_processorAccess.get());
    return result;
}

ORVRESULT LApplication::ReceiveNotification(LNotificationDistributor* sender,
                                            LNotification* notification) {
    if (notification && notification->GetID() == InternNotificationID(u"NID_APP_EXIT_REQ")) {
        // An exit while the device is being programmed would leave it half-written: refuse it.
        if (!CanExit()) return S_OK;
        LFrameworkApp::ReceiveNotification(sender, notification);
        if (m_onExit) m_onExit();
        return S_OK;
    }
    return LFrameworkApp::ReceiveNotification(sender, notification);
}

bool LApplication::CanExit() const { return !m_processor || m_processor->IsIdle(); }

void LApplication::Shutdown() {
    SetMainControlProcessor(nullptr);
    m_processorAccess.reset();
    m_processor = nullptr;  // ends the worker thread and closes the engine's handles
    for (auto& manager : m_iniManagers) manager = nullptr;
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
        manager->Load(GetFolder(0));
        m_iniManagers[index] = manager;
    }
    return m_iniManagers[index];
}
