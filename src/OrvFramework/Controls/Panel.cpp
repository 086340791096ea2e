#include "OrvFramework/Controls/Panel.h"

namespace Orv {

// A panel uses no keys itself; its parent may (1 = not used, from the top of the tree).
ORVRESULT LPanel::OnKeyDown(const LKeyParam* param) {
    return GetParent() != nullptr ? GetParent()->OnKeyDown(param) : S_FALSE;
}

ORVRESULT LPanel::OnKeyUp(const LKeyParam* param) {
    return GetParent() != nullptr ? GetParent()->OnKeyUp(param) : S_FALSE;
}

}  // namespace Orv
