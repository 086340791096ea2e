#pragma once
// Puts the application's update processor behind the main control's processor interface. Header
// only, so that the user-interface library itself needs no engine code: whoever includes it (the
// application) links the engine.
#include "FirmwareUpdater/Engine/CypressHID/UpdateProcessor.h"
#include "FirmwareUpdater/UI/MainControl.h"

namespace Orv {

class LUpdateProcessorAdapter : public IMainControlProcessor {
public:
    explicit LUpdateProcessorAdapter(RCPtr<LUpdateProcessor> processor) : m_processor(std::move(processor)) {}

    ProcessorState GetState() const override { return m_processor ? m_processor->GetState() : ProcessorStateNone; }
    ORVRESULT StartUpdate() override { return m_processor ? m_processor->StartUpdate() : E_FAIL; }
    bool GetFirmwareUpdateVersion(String& version) const override {
        return !m_processor || m_processor->GetFirmwareUpdateVersion(version);
    }

private:
    RCPtr<LUpdateProcessor> m_processor;
};

}  // namespace Orv
