#include "FirmwareUpdater/UI/MainControl.h"

#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {

namespace {

IMainControlProcessor* g_processor = nullptr;

constexpr const char* kFunction = "Orv::LMainControl::Initialize";
constexpr const char* kFile = ".\\UI\\MainControl";

// One bit per managed control; a page is the set of bits shown.
enum : unsigned {
    kButtonExit = 1u << 0,
    kButtonNext = 1u << 1,
    kDeviceNotFound = 1u << 2,
    kUpdateNotNeeded = 1u << 3,
    kDeviceReady = 1u << 4,
    kUpdateInProcess = 1u << 5,
    kFileMissingOrCorrupt = 1u << 6,
    kUpdateFailed = 1u << 7,
    kDriverIsTooOld = 1u << 8,
    kNoCommandLineParams = 1u << 9,
    kUpdateSucceed = 1u << 10,
    kRelaunchWin = 1u << 11,
    kRelaunchMac = 1u << 12,
    kImageUploadComplete = 1u << 13,
    kWaitingForArrival = 1u << 14,
    kWaitingForPrep = 1u << 15,
    kProgressBar = 1u << 16,
    // Not a control: the progress bar shows work going on without a known share.
    kActivity = 1u << 17,
};

}  // namespace

void SetMainControlProcessor(IMainControlProcessor* processor) { g_processor = processor; }
IMainControlProcessor* GetMainControlProcessor() { return g_processor; }

template <class T>
RCPtr<T> LMainControl::FindRequired(const char* name, int line) {
    // A control of another class under the expected name counts as missing.
    RCPtr<T> found(dynamic_cast<T*>(FindChild(Utf8ToUtf16(name)).Get()));
    if (!found)
        ThrowError(ErrorKind::NullPointer, std::string("LMainControl couldn't find ") + name, kFunction, kFile, line);
    return found;
}

void LMainControl::Initialize() {
    LControl::Initialize();

    m_notificationHandler = MakeRC<LNotificationHandler<LMainControl>>(this);
    RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter();
    LNotificationDistributor* app = center.Get();
    auto add = [&](LNotificationHandler<LMainControl>::Method method, LNotificationDistributor* source,
                   std::u16string_view id, int line) {
        const ORVRESULT r = m_notificationHandler->AddHandler(method, source, id);
        if (Failed(r)) ThrowFailedResult(r, kFunction, kFile, line);
    };
    add(&LMainControl::OnUpdateFailed, app, NID_FIRMWARE_UPDATE_FAILED, 36);
    add(&LMainControl::OnUpdateNotNeeded, app, NID_FIRMWARE_UPDATE_NOT_NEEDED, 37);
    add(&LMainControl::OnUpdateComplete, app, NID_FIRMWARE_UPDATE_COMPLETE, 38);
    add(&LMainControl::OnUpdateProgress, app, NID_FIRMWARE_UPDATE_PROGRESS, 39);
    add(&LMainControl::OnImageUploadComplete, app, NID_FIRMWARE_IMAGE_UPLOAD_COMPLETE, 40);
    add(&LMainControl::OnReadyToUpdate, app, NID_READY_TO_UPDATE, 41);
    add(&LMainControl::OnExitRefused, app, NID_APP_EXIT_REFUSED, 42);

    m_buttonExit = FindRequired<LButton>("buttonExit", 44);
    add(&LMainControl::OnButtonClick, m_buttonExit.Get(), NID_LEFT_CLICK, 45);
    m_buttonNext = FindRequired<LButton>("buttonNext", 48);
    add(&LMainControl::OnButtonClick, m_buttonNext.Get(), NID_LEFT_CLICK, 49);

    m_labelDeviceNotFound = FindRequired<LLabel>("labelDeviceNotFound", 52);
    m_labelWaitingForDevicePrep = FindRequired<LLabel>("labelWaitingForDevicePrep", 55);
    m_labelUpdateNotNeeded = FindRequired<LLabel>("labelUpdateNotNeeded", 58);
    m_labelDriverIsTooOld = FindRequired<LLabel>("labelDriverIsTooOld", 61);
    m_labelNoCommandLineParams = FindRequired<LLabel>("labelNoCommandLineParams", 64);
    m_labelDeviceReady = FindRequired<LLabel>("labelDeviceReady", 67);
    m_labelUpdateInProcess = FindRequired<LLabel>("labelUpdateInProcess", 70);
    m_labelFirmwareImageUploadComplete = FindRequired<LLabel>("labelFirmwareImageUploadComplete", 73);
    m_labelFirmwareFileMissingOrCorrupt = FindRequired<LLabel>("labelFirmwareFileMissingOrCorrupt", 76);
    m_labelFirmwareUpdateFailed = FindRequired<LLabel>("labelFirmwareUpdateFailed", 79);
    m_labelFirmwareUpdateSucceed = FindRequired<LLabel>("labelFirmwareUpdateSucceed", 82);
    m_labelWaitingForDeviceArrivalPostInstall = FindRequired<LLabel>("labelWaitingForDeviceArrivalPostInstall", 85);
    m_labelRelaunchInstructionsWin = FindRequired<LLabel>("labelRelaunchInstructionsWin", 88);
    m_labelRelaunchInstructionsMac = FindRequired<LLabel>("labelRelaunchInstructionsMac", 90);
    m_progressBar = FindRequired<LProgressBar>("progressBar", 93);

    UsePlatformTexts();
    m_processor = GetMainControlProcessor();
    if (!m_processor) return;  // nothing to ask: the skin's initial page stays
    ComposeReadyText();
    ShowPageForStatus(m_processor->GetState());
}

void LMainControl::UsePlatformTexts() {
#if defined(__linux__)
    const String platformLabel = W("LABEL_LINUX");
    for (LLabel* label : {m_labelDeviceNotFound.Get(), m_labelWaitingForDevicePrep.Get(), m_labelUpdateNotNeeded.Get(),
                          m_labelDriverIsTooOld.Get(), m_labelNoCommandLineParams.Get(), m_labelDeviceReady.Get(),
                          m_labelUpdateInProcess.Get(), m_labelFirmwareImageUploadComplete.Get(),
                          m_labelFirmwareFileMissingOrCorrupt.Get(), m_labelFirmwareUpdateFailed.Get(),
                          m_labelFirmwareUpdateSucceed.Get(), m_labelRelaunchInstructionsWin.Get()}) {
        const ConstRCPtr<LStringTable> table = label->GetStringTable();
        String text;
        if (table && table->GetString(platformLabel, text)) label->SetText(text);
    }
#endif
}

void LMainControl::ComposeReadyText() {
    String version;
    if (m_processor->GetFirmwareUpdateVersion(version)) return;
    String prefix;
    LControlFactory* factory = GetFactory() ? GetFactory() : LControlFactory::GetCreatingFactory();
    if (factory) {
        if (ConstRCPtr<LStringTable> table = factory->GetApplicationStringTable())
            table->GetString(W("UPDATE_FIRMWARE_TO_VERSION"), prefix);
    }
    String text = prefix;
    text += u" ";
    text += version;
    text += u". ";
    text += m_labelDeviceReady->GetText();
    m_labelDeviceReady->SetText(text);
}

ORVRESULT LMainControl::ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) {
    if (m_notificationHandler && notification) {
        typename LNotificationHandler<LMainControl>::Handler handler;
        if (m_notificationHandler->GetHandler(sender, notification->GetID(), handler) == S_OK)
            return m_notificationHandler->Dispatch(sender, notification);
    }
    return LControl::ReceiveNotification(sender, notification);
}

void LMainControl::ShowPage(unsigned mask) {
    // Controls are only known after Initialize found them all.
    if (!m_progressBar) return;
    const std::pair<LControl*, unsigned> controls[] = {
        {m_buttonExit.Get(), kButtonExit},
        {m_buttonNext.Get(), kButtonNext},
        {m_labelDeviceNotFound.Get(), kDeviceNotFound},
        {m_labelUpdateNotNeeded.Get(), kUpdateNotNeeded},
        {m_labelDeviceReady.Get(), kDeviceReady},
        {m_labelUpdateInProcess.Get(), kUpdateInProcess},
        {m_labelFirmwareFileMissingOrCorrupt.Get(), kFileMissingOrCorrupt},
        {m_labelFirmwareUpdateFailed.Get(), kUpdateFailed},
        {m_labelDriverIsTooOld.Get(), kDriverIsTooOld},
        {m_labelNoCommandLineParams.Get(), kNoCommandLineParams},
        {m_labelFirmwareUpdateSucceed.Get(), kUpdateSucceed},
        {m_labelRelaunchInstructionsWin.Get(), kRelaunchWin},
        {m_labelRelaunchInstructionsMac.Get(), kRelaunchMac},
        {m_labelFirmwareImageUploadComplete.Get(), kImageUploadComplete},
        {m_labelWaitingForDeviceArrivalPostInstall.Get(), kWaitingForArrival},
        {m_labelWaitingForDevicePrep.Get(), kWaitingForPrep},
        {m_progressBar.Get(), kProgressBar},
    };
    for (const auto& [control, bit] : controls) control->SetVisible((mask & bit) != 0);
    m_progressBar->SetIndeterminate((mask & kActivity) != 0);
    m_page = mask;
    OnWindowChanged();
}

void LMainControl::OnWindowChanged() {
    IControlHost* host = GetHost();
    if (host == nullptr || m_page == 0) return;
    // Pages without Exit belong to a running update, which refuses to close.
    host->SetCloseAllowed((m_page & kButtonExit) != 0);
    // The bar's animation runs on the timers of the window it is in now.
    if (m_page & kActivity) {
        m_progressBar->SetIndeterminate(false);
        m_progressBar->SetIndeterminate(true);
    }
    // The welcome page waits for Next: Enter takes it without the pointer.
    if ((m_page & kButtonNext) && m_buttonNext) m_buttonNext->TakeFocus();
}

void LMainControl::ShowWaitingForDeviceArrival() { ShowPage(kButtonExit | kWaitingForArrival | kRelaunchWin); }
void LMainControl::ShowDeviceReady() { ShowPage(kButtonNext | kButtonExit | kDeviceReady | kRelaunchWin); }
// The device may take many seconds to come back in its bootloader: the bar shows that work goes on.
void LMainControl::ShowWaitingForDevicePrep() { ShowPage(kWaitingForPrep | kRelaunchWin | kProgressBar | kActivity); }
void LMainControl::ShowDeviceNotFound() { ShowPage(kButtonExit | kDeviceNotFound | kRelaunchWin); }
void LMainControl::ShowUpdateNotNeeded() { ShowPage(kButtonExit | kUpdateNotNeeded); }
void LMainControl::ShowFirmwareFileMissingOrCorrupt() { ShowPage(kButtonExit | kFileMissingOrCorrupt | kRelaunchWin); }
void LMainControl::ShowUpdateInProcess() { ShowPage(kUpdateInProcess | kProgressBar); }
void LMainControl::ShowDriverIsTooOld() { ShowPage(kButtonExit | kDriverIsTooOld); }
void LMainControl::ShowNoCommandLineParams() { ShowPage(kButtonExit | kNoCommandLineParams); }
void LMainControl::ShowFirmwareUpdateFailed() { ShowPage(kButtonExit | kUpdateFailed | kRelaunchWin); }
void LMainControl::ShowFirmwareImageUploadComplete() { ShowPage(kImageUploadComplete); }
void LMainControl::ShowFirmwareUpdateSucceed() { ShowPage(kButtonExit | kUpdateSucceed); }

void LMainControl::ShowPageForStatus(int state) {
    switch (state) {
    case WaitingForDeviceArrivalPostInstall:
        ShowWaitingForDeviceArrival();
        break;
    case DeviceReady:
        ShowDeviceReady();
        break;
    case DeviceNotFound:
        ShowDeviceNotFound();
        break;
    case UpdateNotNeeded:
        ShowUpdateNotNeeded();
        break;
    case FirmwareFileMissingOrCorrupt:
        ShowFirmwareFileMissingOrCorrupt();
        break;
    // Started automatically: nothing is known of the upload until its first progress.
    case UpdateInProcess:
        ShowWaitingForDevicePrep();
        break;
    case DriverIsTooOld:
        ShowDriverIsTooOld();
        break;
    case NoCommandLineParams:
        ShowNoCommandLineParams();
        break;
    case FirmwareUpdateFailed:
        ShowFirmwareUpdateFailed();
        break;
    default:
        break;  // no state chosen: the skin's initial page stays
    }
}

ORVRESULT LMainControl::OnUpdateFailed(LNotificationDistributor*, LNotification*) {
    ShowFirmwareUpdateFailed();
    return S_OK;
}
ORVRESULT LMainControl::OnUpdateNotNeeded(LNotificationDistributor*, LNotification*) {
    ShowUpdateNotNeeded();
    return S_OK;
}
// Engine and processor both announce the end; showing the same page again is harmless.
ORVRESULT LMainControl::OnUpdateComplete(LNotificationDistributor*, LNotification*) {
    ShowFirmwareUpdateSucceed();
    return S_OK;
}
ORVRESULT LMainControl::OnUpdateProgress(LNotificationDistributor*, LNotification* notification) {
    if (notification) {
        if (const auto* data = notification->GetParameterAs<LFirmwareUpdateProgressNotificationData>()) {
            m_progressBar->SetTimeRemaining(data->GetSecondsRemaining());
            m_progressBar->DisplayValue(data->GetFractionComplete());
        }
    }
    ShowUpdateInProcess();
    return S_OK;
}
ORVRESULT LMainControl::OnImageUploadComplete(LNotificationDistributor*, LNotification*) {
    ShowFirmwareImageUploadComplete();
    return S_OK;
}
ORVRESULT LMainControl::OnReadyToUpdate(LNotificationDistributor*, LNotification*) {
    ShowDeviceReady();
    return S_OK;
}

ORVRESULT LMainControl::OnButtonClick(LNotificationDistributor* sender, LNotification*) {
    if (sender == static_cast<LNotificationDistributor*>(m_buttonNext.Get())) {
        m_processor = GetMainControlProcessor();
        ShowWaitingForDevicePrep();
        // A busy processor refuses a second run; the page then waits for the running work.
        if (m_processor) (void)m_processor->StartUpdate();
    } else if (sender == static_cast<LNotificationDistributor*>(m_buttonExit.Get())) {
        if (RCPtr<LNotificationCenter> center = GetApplicationNotificationCenter()) {
            RCPtr<LNotification> exit = LNotification::Create(NID_APP_EXIT_REQ);
            if (exit) center->Post(exit.Get());
        }
    }
    return S_OK;
}

ORVRESULT LMainControl::OnKeyDown(const LKeyParam* param) {
    if (param == nullptr || param->m_key != kEscapeKey) return S_FALSE;
    if (!m_buttonExit || !m_buttonExit->IsVisibleInTree() || !m_buttonExit->IsEnabledInTree()) return S_FALSE;
    m_buttonExit->SimulateClick();
    return S_OK;
}

ORVRESULT LMainControl::OnExitRefused(LNotificationDistributor*, LNotification*) {
    String text;
    LControlFactory* factory = GetFactory() ? GetFactory() : LControlFactory::GetCreatingFactory();
    if (factory)
        if (ConstRCPtr<LStringTable> table = factory->GetApplicationStringTable())
            table->GetString(W("WAIT_UNTIL_UPDATE_FINISHED"), text);
    if (text.empty()) text = W("Please wait until the update has finished.");
    if (IControlHost* host = GetHost()) host->ShowNotice(text, kExitRefusedNoticeMs);
    return S_OK;
}

ORVRESULT RegisterMainControlClass(LControlFactory& factory) {
    return factory.RegisterControlClass(W("FirmwareUpdater.MainControl"), &CreateControlOf<LMainControl>);
}

}  // namespace Orv
