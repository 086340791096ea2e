#pragma once
// The firmware notifications that the engine and the processor post into the "application"
// center, and the payload of the progress notification.
#include <cstdint>
#include <string_view>

#include "OrvFramework/ObjectBase/RCPtr.h"

inline constexpr char16_t NID_FIRMWARE_UPDATE_PROGRESS[] = u"NID_FIRMWARE_UPDATE_PROGRESS";
inline constexpr char16_t NID_FIRMWARE_UPDATE_COMPLETE[] = u"NID_FIRMWARE_UPDATE_COMPLETE";
inline constexpr char16_t NID_FIRMWARE_UPDATE_FAILED[] = u"NID_FIRMWARE_UPDATE_FAILED";
inline constexpr char16_t NID_READY_TO_UPDATE[] = u"NID_READY_TO_UPDATE";
inline constexpr char16_t NID_FIRMWARE_UPDATE_NOT_NEEDED[] = u"NID_FIRMWARE_UPDATE_NOT_NEEDED";
inline constexpr char16_t NID_FIRMWARE_IMAGE_UPLOAD_COMPLETE[] = u"NID_FIRMWARE_IMAGE_UPLOAD_COMPLETE";

class LFirmwareUpdateProgressNotificationData : public virtual Orv::LRefCountedObject {
public:
    LFirmwareUpdateProgressNotificationData(double fractionComplete, std::int32_t secondsRemaining,
                                            bool flag = false)
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
