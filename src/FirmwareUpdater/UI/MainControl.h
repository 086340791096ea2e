#pragma once
// The updater's one application-specific control: it turns the update processor's state and the
// firmware notifications into pages (sets of visible labels and buttons), starts the update on
// Next and asks the application to exit on Exit.
#include "FirmwareUpdater/Engine/CypressHID/UpdateProcessor.h"
#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/Controls/Button.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/ProgressBar.h"
#include "OrvFramework/Notification/NotificationIDs.h"

namespace Orv {

class LControlFactory;

// What the main control needs from the update processor. The application implements it over its
// LUpdateProcessor; the user-interface library cannot depend on the application.
class IMainControlProcessor {
public:
    virtual ~IMainControlProcessor() = default;
    virtual ProcessorState GetState() const = 0;
    virtual ORVRESULT StartUpdate() = 0;
    // True when the version could not be given (the text is then not shown).
    virtual bool GetFirmwareUpdateVersion(String& version) const = 0;
};

// Installed by the application before the main control is created; may be null (no processor:
// the skin's initial page stays and Next starts nothing). Not owned.
void SetMainControlProcessor(IMainControlProcessor* processor);
IMainControlProcessor* GetMainControlProcessor();

class LMainControl : public LControl {
public:
    using LControl::LControl;

    void Initialize() override;
    // Escape acts as Exit wherever Exit is on show.
    ORVRESULT OnKeyDown(const LKeyParam* param) override;
    // Attached to a window: it learns the page's focus and whether it may close.
    void OnWindowChanged() override;
    ORVRESULT ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) override;

    void ShowPageForStatus(int state);
    void ShowWaitingForDeviceArrival();
    void ShowDeviceReady();
    void ShowWaitingForDevicePrep();
    void ShowDeviceNotFound();
    void ShowUpdateNotNeeded();
    void ShowFirmwareFileMissingOrCorrupt();
    void ShowUpdateInProcess();
    void ShowDriverIsTooOld();
    void ShowNoCommandLineParams();
    void ShowFirmwareUpdateFailed();
    void ShowFirmwareImageUploadComplete();
    void ShowFirmwareUpdateSucceed();

private:
    ORVRESULT OnUpdateFailed(LNotificationDistributor* sender, LNotification* notification);
    ORVRESULT OnUpdateNotNeeded(LNotificationDistributor* sender, LNotification* notification);
    ORVRESULT OnUpdateComplete(LNotificationDistributor* sender, LNotification* notification);
    ORVRESULT OnUpdateProgress(LNotificationDistributor* sender, LNotification* notification);
    ORVRESULT OnImageUploadComplete(LNotificationDistributor* sender, LNotification* notification);
    ORVRESULT OnReadyToUpdate(LNotificationDistributor* sender, LNotification* notification);
    ORVRESULT OnButtonClick(LNotificationDistributor* sender, LNotification* notification);
    ORVRESULT OnExitRefused(LNotificationDistributor* sender, LNotification* notification);

    template <class T>
    RCPtr<T> FindRequired(const char* name, int line);
    void ComposeReadyText();
    // Where a message differs between platforms (how the updater starts again, what to
    // reinstall), the label's table holds this platform's text under its own string ID.
    void UsePlatformTexts();
    // Sets every one of the seventeen controls: the listed ones visible, all others hidden.
    void ShowPage(unsigned visibleMask);

    RCPtr<LNotificationHandler<LMainControl>> m_notificationHandler;
    RCPtr<LButton> m_buttonExit;
    RCPtr<LButton> m_buttonNext;
    RCPtr<LLabel> m_labelDeviceNotFound;
    RCPtr<LLabel> m_labelUpdateNotNeeded;
    RCPtr<LLabel> m_labelDeviceReady;
    RCPtr<LLabel> m_labelUpdateInProcess;
    RCPtr<LLabel> m_labelFirmwareFileMissingOrCorrupt;
    RCPtr<LLabel> m_labelFirmwareUpdateFailed;
    RCPtr<LLabel> m_labelDriverIsTooOld;
    RCPtr<LLabel> m_labelNoCommandLineParams;
    RCPtr<LLabel> m_labelFirmwareUpdateSucceed;
    RCPtr<LLabel> m_labelRelaunchInstructionsWin;
    RCPtr<LLabel> m_labelRelaunchInstructionsMac;
    RCPtr<LLabel> m_labelFirmwareImageUploadComplete;
    RCPtr<LLabel> m_labelWaitingForDeviceArrivalPostInstall;
    RCPtr<LLabel> m_labelWaitingForDevicePrep;
    RCPtr<LProgressBar> m_progressBar;
    IMainControlProcessor* m_processor = nullptr;
    unsigned m_page = 0;  // the visibility mask of the page on show; 0 before the first
};

// How long the main control's answer to a refused exit request stays on the window.
inline constexpr std::uint32_t kExitRefusedNoticeMs = 4000;
// The Escape key as the root window passes it.
inline constexpr std::uint32_t kEscapeKey = 0x201B0000;

// Registers LMainControl under "FirmwareUpdater.MainControl".
ORVRESULT RegisterMainControlClass(LControlFactory& factory);

}  // namespace Orv
