#pragma once
// One localized string table: string ID -> text in the language chosen at load time.
#include <map>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

class LStringTable : public LRefCountedObject {
public:
    // True and the text, or false with text left as it was.
    bool GetString(const String& stringId, String& text) const {
        auto it = strings.find(stringId);
        if (it == strings.end()) return false;
        text = it->second;
        return true;
    }
    bool HasString(const String& stringId) const { return strings.count(stringId) != 0; }
    std::size_t GetCount() const { return strings.size(); }

    std::map<String, String> strings;
};

}  // namespace Orv
