#pragma once
// The application object: owns the update processor and the command line, answers the folders,
// delivers queued notifications during idle time, and decides whether the program may end.
#include <functional>
#include <memory>

#include "FirmwareUpdater/Engine/CypressHID/UpdateProcessor.h"
#include "FirmwareUpdater/UI/UpdateProcessorAdapter.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Notification/NotificationClient.h"
#include "OrvFramework/Notification/NotificationCenter.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/System/IniFileManager.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

// Framework-wide services of an application: the application notification center and idle
// delivery of queued notifications.
class LFrameworkApp : public LNotificationClient {
public:
    LFrameworkApp();
    ~LFrameworkApp() override;

    RCPtr<LNotificationCenter> GetApplicationCenter() const { return m_center; }
    bool IsIdleSuspended() const { return m_idleSuspended; }
    void SetIdleSuspended(bool suspended) { m_idleSuspended = suspended; }
    // Delivers what the queues hold; answers whether anything is still queued.
    bool ProcessNotifications(bool sendIdle);
    // The framework's own shutdown: tears the notification centers down.
    virtual void Shutdown();

protected:
    RCPtr<LNotificationCenter> m_center;
    bool m_idleSuspended = false;
};

}  // namespace Orv

class LApplication : public Orv::LFrameworkApp {
public:
    LApplication(Orv::String commandLine, UpdateEnvironment environment,
                 Orv::RCPtr<Orv::LControlFactory> factory = nullptr);
    ~LApplication() override;

    Orv::ORVRESULT InitializeApplication();
    Orv::ORVRESULT ReceiveNotification(Orv::LNotificationDistributor* sender,
                                       Orv::LNotification* notification) override;
    // Yes unless an upload is running.
    bool CanExit() const;
    void Shutdown() override;

    Orv::String GetFolder(int pathId) const;
    Orv::String GetCompanyName() const;
    Orv::String GetProductName() const;
    Orv::String GetSettingsVersion() const { return Orv::W("1_0_0"); }
    Orv::String GetMainControlName() const { return Orv::W("mainControl"); }
    // 0: "AppSettings.ini" in folder 2; 1: "UserSettings.ini" in folder 3; created on first use.
    Orv::RCPtr<Orv::LIniFileManager> GetIniFileManager(int index);

    const Orv::String& GetCommandLine() const { return m_commandLine; }
    LUpdateProcessor* GetUpdateProcessor() const { return m_processor.Get(); }

    // Called when an exit request is accepted (the host closes its window and quits the loop).
    void SetExitHandler(std::function<void()> handler) { m_onExit = std::move(handler); }

private:
    Orv::String m_commandLine;
    UpdateEnvironment m_environment;
    Orv::RCPtr<LUpdateProcessor> m_processor;
    Orv::RCPtr<Orv::LControlFactory> m_factory;
    std::unique_ptr<Orv::LUpdateProcessorAdapter> m_processorAccess;
    Orv::RCPtr<Orv::LIniFileManager> m_iniManagers[2];
    std::function<void()> m_onExit;
};
