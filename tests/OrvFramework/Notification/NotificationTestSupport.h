#pragma once
// Clients that record what they receive, for the notification tests.
#include <functional>
#include <string>
#include <vector>

#include "OrvFramework/Notification/NotificationClient.h"
#include "OrvFramework/Notification/NotificationDistributor.h"
#include "OrvFramework/Notification/NotificationParams.h"

namespace Orv::Test {

struct Delivery {
    std::string client;
    std::u16string id;
    double value;  // the LValueParam's value, or -1
};

class RecordingClient : public LNotificationClient {
public:
    RecordingClient(std::string name, std::vector<Delivery>* log, bool* destroyed = nullptr)
        : m_name(std::move(name)), m_log(log), m_destroyed(destroyed) {}
    ~RecordingClient() override {
        if (m_destroyed) *m_destroyed = true;
    }
    ORVRESULT ReceiveNotification(LNotificationDistributor* sender, LNotification* n) override {
        const auto* v = n->GetParameterAs<LValueParam>();
        m_log->push_back({m_name, std::u16string(n->GetID()), v ? v->m_value : -1});
        if (m_onReceive) m_onReceive(sender, n);
        return S_OK;
    }
    std::function<void(LNotificationDistributor*, LNotification*)> m_onReceive;

private:
    std::string m_name;
    std::vector<Delivery>* m_log;
    bool* m_destroyed;
};

inline std::vector<std::string> Clients(const std::vector<Delivery>& log) {
    std::vector<std::string> out;
    for (const auto& d : log) out.push_back(d.client);
    return out;
}

inline std::vector<double> Values(const std::vector<Delivery>& log) {
    std::vector<double> out;
    for (const auto& d : log) out.push_back(d.value);
    return out;
}

}  // namespace Orv::Test
