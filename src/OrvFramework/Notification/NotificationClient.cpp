#include "OrvFramework/Notification/NotificationClient.h"

#include <algorithm>

#include "OrvFramework/Notification/NotificationDistributor.h"

namespace Orv {

LNotificationClient::~LNotificationClient() = default;

NotificationID LNotificationClient::Register(LNotificationDistributor* distributor, std::u16string_view identifier,
                                             std::uint32_t flags) {
    const NotificationID id = InternNotificationID(identifier);
    if (distributor == nullptr || id == nullptr) return nullptr;
    // The distributor reports a new registration back through NoteRegistrationAdded.
    return Failed(distributor->RegisterClient(this, id, flags)) ? nullptr : id;
}

ORVRESULT LNotificationClient::Unregister(LNotificationDistributor* distributor, NotificationID identifier) {
    if (m_registrationCount == 0) return S_FALSE;
    if (distributor == nullptr || identifier == nullptr) return E_INVALIDARG;
    return distributor->UnregisterClient(this, identifier);
}

ORVRESULT LNotificationClient::ReceiveNotification(LNotificationDistributor*, LNotification*) { return S_OK; }

ORVRESULT LNotificationClient::ReleaseInternalReferences() {
    const std::vector<LNotificationDistributor*> distributors = m_distributors;
    for (auto it = distributors.rbegin(); it != distributors.rend(); ++it) {
        // An earlier removal may already have dropped this distributor from the list.
        if (std::find(m_distributors.begin(), m_distributors.end(), *it) != m_distributors.end())
            (*it)->RemoveAllRegistrationsOf(this);
    }
    return LRefCountedObject::ReleaseInternalReferences();
}

void LNotificationClient::NoteRegistrationAdded(LNotificationDistributor* distributor) {
    AdjustInternalReferenceCount(+1);
    ++m_registrationCount;
    if (std::find(m_distributors.begin(), m_distributors.end(), distributor) == m_distributors.end())
        m_distributors.push_back(distributor);
}

void LNotificationClient::NoteRegistrationDropped(LNotificationDistributor* distributor, bool lastWithDistributor) {
    AdjustInternalReferenceCount(-1);
    --m_registrationCount;
    if (lastWithDistributor)
        m_distributors.erase(std::remove(m_distributors.begin(), m_distributors.end(), distributor),
                             m_distributors.end());
}

}  // namespace Orv
