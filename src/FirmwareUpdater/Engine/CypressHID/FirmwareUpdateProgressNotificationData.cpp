#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"

#include "OrvFramework/Notification/NotificationCenterManager.h"

bool PostFirmwareNotification(std::u16string_view identifier,
                              const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameter) {
    Orv::RCPtr<Orv::LNotificationCenter> center = Orv::GetApplicationNotificationCenter();
    if (!center) return false;
    Orv::RCPtr<Orv::LNotification> notification = Orv::LNotification::Create(identifier, parameter);
    if (!notification) return false;
    return Orv::Succeeded(center->Post(notification.Get()));
}
