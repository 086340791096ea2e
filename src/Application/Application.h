#pragma once
// The application object: owns the update processor and the command line, answers the folders,
// delivers queued notifications during idle time, and decides whether the program may end.
#include <functional>
#include <memory>
#include <mutex>

#include "FirmwareUpdater/Engine/CypressHID/UpdateProcessor.h"
#include "FirmwareUpdater/UI/UpdateProcessorAdapter.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/RootWindow.h"
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

    // Registers the framework's control classes with the factory and selects the stored skin.
    // Answers E_FAIL when any of it fails (the cause goes to the debug tracer).
    ORVRESULT RunApplicationStartup(LControlFactory& factory);
    // Makes skin `index` current, hands the new descriptors to the content of a live root window
    // when there is one (showing "Loading Skin..." meanwhile), and stores the index in the user
    // settings. Throws FailedResultException when the factory refuses the index.
    void SetSkin(LControlFactory& factory, std::size_t index, LRootWindow* root = nullptr);

    // The user settings' integers; without a settings store the default is read and nothing kept.
    virtual std::int32_t ReadUserSettingInt(const String& key, std::int32_t defaultValue);
    virtual ORVRESULT WriteUserSettingInt(const String& key, std::int32_t value);

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
    // Whether an upload runs now; any thread may ask (the signal thread does), from the moment
    // InitializeApplication has made the processor until Shutdown.
    bool IsUpdateRunning() const;
    void Shutdown() override;

    Orv::String GetFolder(int pathId) const;
    Orv::String GetCompanyName() const;
    Orv::String GetProductName() const;
    Orv::String GetSettingsVersion() const { return Orv::W("1_0_0"); }
    Orv::String GetMainControlName() const { return Orv::W("mainControl"); }
    // 0: "AppSettings.ini" in folder 2; 1: "UserSettings.ini" in folder 3; created and opened on
    // first use. Without the plug-in the manager is there but every operation fails.
    Orv::RCPtr<Orv::LIniFileManager> GetIniFileManager(int index);
    // Where the settings plug-in is loaded from; empty (the default): beside the program, then the
    // ordinary library search. Takes effect for managers not created yet.
    void SetIniFileManagerFolder(Orv::String folder) { m_iniFolder = std::move(folder); }
    // The open settings file of GetIniFileManager(index); null when it could not be opened.
    ::OrvIniHandle GetIniHandle(int index);

    std::int32_t ReadUserSettingInt(const Orv::String& key, std::int32_t defaultValue) override;
    Orv::ORVRESULT WriteUserSettingInt(const Orv::String& key, std::int32_t value) override;

    // Hooks for the command line: before and after InitializeApplication, and one forwarded by a
    // second start of the program. They do nothing here.
    virtual Orv::ORVRESULT OnCommandLineBeforeInit(const Orv::String&) { return Orv::S_OK; }
    virtual Orv::ORVRESULT OnCommandLineAfterInit(const Orv::String&) { return Orv::S_OK; }
    virtual Orv::ORVRESULT OnSecondInstanceCommandLine(const Orv::String&) { return Orv::S_OK; }

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
    ::OrvIniHandle m_iniHandles[2] = {nullptr, nullptr};
    Orv::String m_iniFolder;
    std::function<void()> m_onExit;
    // The processor as other threads see it: set before it starts any work, cleared before it goes.
    mutable std::mutex m_busyLock;
    LUpdateProcessor* m_busyProcessor = nullptr;
};
