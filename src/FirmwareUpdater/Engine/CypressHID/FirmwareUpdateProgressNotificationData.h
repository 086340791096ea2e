#pragma once
// The payload of the progress notification, and how the engine and the processor post the firmware
// notifications into the "application" center.
#include <cstdint>
#include <string_view>

#include "OrvFramework/Notification/NotificationIDs.h"
#include "OrvFramework/ObjectBase/RCPtr.h"

class LFirmwareUpdateProgressNotificationData : public virtual Orv::LRefCountedObject {
public:
    LFirmwareUpdateProgressNotificationData(double fractionComplete, std::int32_t secondsRemaining, bool flag = false)
        : m_fractionComplete(fractionComplete), m_secondsRemaining(secondsRemaining), m_flag(flag) {}

    double GetFractionComplete() const { return m_fractionComplete; }
    std::int32_t GetSecondsRemaining() const { return m_secondsRemaining; }
    bool GetFlag() const { return m_flag; }

private:
    double m_fractionComplete;
    std::int32_t m_secondsRemaining;
    bool m_flag;
};

// Posts a notification into the "application" center's queue, from any thread. False when the
// center is gone (at shutdown) or refuses it.
bool PostFirmwareNotification(std::u16string_view identifier,
                              const Orv::ConstRCPtr<Orv::LRefCountedObject>& parameter = nullptr);
