#include "OrvFramework/Notification/NotificationID.h"

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace Orv {
namespace {

struct InternTable {
    std::mutex lock;                   // the update worker creates notifications too
    std::deque<std::u16string> texts;  // a deque never moves its elements: addresses stay valid
    std::unordered_map<std::u16string_view, NotificationID> byText;
    std::unordered_map<const char16_t*, std::size_t> lengthByAddress;
};

InternTable& Table() {
    // Never destroyed: notifications may be released during static destruction.
    static InternTable* table = new InternTable;
    return *table;
}

}  // namespace

NotificationID InternNotificationID(std::u16string_view text) {
    if (text.data() == nullptr || text.empty()) return nullptr;
    InternTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    // The text may already be an interned entry: then it is its own identifier.
    auto byAddress = t.lengthByAddress.find(text.data());
    if (byAddress != t.lengthByAddress.end() && byAddress->second == text.size()) return text.data();
    auto found = t.byText.find(text);
    if (found != t.byText.end()) return found->second;
    const std::u16string& stored = t.texts.emplace_back(text);
    t.byText.emplace(std::u16string_view(stored), stored.c_str());
    t.lengthByAddress.emplace(stored.c_str(), stored.size());
    return stored.c_str();
}

NotificationID InternNotificationID(const char16_t* text) {
    if (text == nullptr) return nullptr;
    return InternNotificationID(std::u16string_view(text));
}

NotificationID IdleNotificationID() {
    static const NotificationID id = InternNotificationID(u"NID_IDLE");
    return id;
}

}  // namespace Orv
