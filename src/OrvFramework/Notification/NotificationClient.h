#pragma once
// A receiver that keeps account of its registrations. Every registration makes a distributor hold
// the client, so each counts as an internal reference of the client: when nothing outside holds
// the client any more, its registrations are ended and it is freed.
#include <cstdint>
#include <string_view>
#include <vector>

#include "OrvFramework/Notification/NotificationReceiver.h"

namespace Orv {

class LNotificationClient : public LNotificationReceiver {
public:
    ~LNotificationClient() override;

    // Registers with the distributor for the identifier; answers the interned identifier, or null
    // when the identifier is empty or the distributor is null.
    NotificationID Register(LNotificationDistributor* distributor, std::u16string_view identifier,
                            std::uint32_t flags = 0);
    // 1 when the client holds no registration, 0x80070057 for a null distributor or identifier,
    // else the distributor's answer (0 when a registration was removed).
    ORVRESULT Unregister(LNotificationDistributor* distributor, NotificationID identifier);

    ORVRESULT ReceiveNotification(LNotificationDistributor* sender, LNotification* notification) override;
    ORVRESULT RemoveRegistration(LNotificationDistributor* sender, NotificationID identifier) override {
        return Unregister(sender, identifier);
    }
    ORVRESULT ReleaseInternalReferences() override;

    std::int32_t GetRegistrationCount() const { return m_registrationCount; }
    const std::vector<LNotificationDistributor*>& GetDistributors() const { return m_distributors; }

private:
    friend class LNotificationDistributor;
    // Called by a distributor as a registration that holds this client is made or dropped. The
    // internal count is lowered before the registration's reference goes.
    void NoteRegistrationAdded(LNotificationDistributor* distributor);
    void NoteRegistrationDropped(LNotificationDistributor* distributor, bool lastWithDistributor);

    std::int32_t m_registrationCount = 0;
    std::vector<LNotificationDistributor*> m_distributors;
};

}  // namespace Orv
