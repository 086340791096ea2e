#pragma once
// The handler table of one object: (sender, identifier) -> member function. The owner passes what
// it receives to Dispatch.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "OrvFramework/Notification/NotificationClient.h"
#include "OrvFramework/Notification/NotificationDistributor.h"
#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/ObjectBase/TypeName.h"

namespace Orv {

template <class T>
class LNotificationHandler : public virtual LRefCountedObject {
public:
    using Method = ORVRESULT (T::*)(LNotificationDistributor* sender, LNotification* notification);

    struct Receivable {
        const LNotificationDistributor* sender;
        NotificationID identifier;
        bool operator<(const Receivable& o) const {
            return std::tie(sender, identifier) < std::tie(o.sender, o.identifier);
        }
    };
    struct Handler {
        Method method = nullptr;
        std::uint32_t flags = 0;
    };

    // The owner holds the table; the table points back without a reference.
    explicit LNotificationHandler(T* owner) : m_owner(owner) {}

    ORVRESULT AddHandler(Method method, LNotificationDistributor* sender, std::u16string_view identifier,
                         std::uint32_t flags = 0) {
        if (sender == nullptr) return E_INVALIDARG;
        LNotificationClient* client = m_owner;
        const NotificationID id = client->Register(sender, identifier, flags);
        if (id == nullptr) return E_FAIL;
        m_handlers.emplace(Receivable{sender, id}, Handler{method, flags});  // an existing entry stays
        return S_OK;
    }

    // Ends the registration and forgets the handler; 1 when there was none.
    ORVRESULT RemoveHandler(LNotificationDistributor* sender, NotificationID identifier) {
        if (sender == nullptr || identifier == nullptr) return E_INVALIDARG;
        auto it = m_handlers.find(Receivable{sender, identifier});
        if (it == m_handlers.end()) return S_FALSE;
        m_handlers.erase(it);
        LNotificationClient* client = m_owner;
        return client->Unregister(sender, identifier);
    }

    // 0 and the handler when there is one; 1 when there is none.
    ORVRESULT GetHandler(const LNotificationDistributor* sender, NotificationID identifier, Handler& out) const {
        if (sender == nullptr || identifier == nullptr) return E_INVALIDARG;
        auto it = m_handlers.find(Receivable{sender, identifier});
        if (it == m_handlers.end()) return S_FALSE;
        out = it->second;
        return S_OK;
    }

    // Calls the handler for (sender, identifier) and answers its result; 0 when there is none.
    ORVRESULT Dispatch(LNotificationDistributor* sender, LNotification* notification) {
        if (notification == nullptr) return S_OK;
        auto it = m_handlers.find(Receivable{sender, notification->GetID()});
        if (it == m_handlers.end()) return S_OK;
        const Method method = it->second.method;  // the map may change during the call
        return (m_owner->*method)(sender, notification);
    }

    std::size_t GetHandlerCount() const { return m_handlers.size(); }

private:
    T* m_owner;
    std::map<Receivable, Handler> m_handlers;
};

// Switches one handler of an owner off for the life of the scope and restores it, with the same
// flags and member function, at the end. The owner gives access to its table through
// GetNotificationHandler().
template <class T>
class CAutoNotificationDisabler {
public:
    CAutoNotificationDisabler(T* owner, LNotificationDistributor* sender, std::u16string_view identifier)
        : m_owner(owner), m_sender(sender), m_identifier(InternNotificationID(identifier)) {
        LNotificationHandler<T>& table = *m_owner->GetNotificationHandler();
        ORV_THROW_IF_FAILED(Check(table.GetHandler(m_sender, m_identifier, m_handler)), Function(), 249);
        ORV_THROW_IF_FAILED(Check(table.RemoveHandler(m_sender, m_identifier)), Function(), 250);
    }
    ~CAutoNotificationDisabler() noexcept(false) {
        const std::u16string text(m_identifier);
        const ORVRESULT r =
            m_owner->GetNotificationHandler()->AddHandler(m_handler.method, m_sender, text, m_handler.flags);
        // Never throw over an exception that is already unwinding the stack.
        if (Failed(r) && std::uncaught_exceptions() == 0) ThrowFailedResult(r, Function(), __FILE__, 255);
    }
    CAutoNotificationDisabler(const CAutoNotificationDisabler&) = delete;
    CAutoNotificationDisabler& operator=(const CAutoNotificationDisabler&) = delete;

private:
    // A handler that is not there cannot be disabled: that is a failure too.
    static ORVRESULT Check(ORVRESULT r) { return r == S_FALSE ? E_FAIL : r; }
    static std::string Function() {
        return "Orv::CAutoNotificationDisabler<" + TypeName<T>() + ">::CAutoNotificationDisabler";
    }

    T* m_owner;
    LNotificationDistributor* m_sender;
    NotificationID m_identifier;
    typename LNotificationHandler<T>::Handler m_handler;
};

}  // namespace Orv
