#pragma once
// A unit of work that a RetriggerableThreader runs on its thread.
#include "OrvFramework/ObjectBase/RCPtr.h"

namespace Orv {

class LThreadWorker : public virtual LRefCountedObject {
public:
    virtual ORVRESULT Run(const ConstRCPtr<LRefCountedObject>& parameters) = 0;
};

}  // namespace Orv
