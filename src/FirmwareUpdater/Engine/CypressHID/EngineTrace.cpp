#include "FirmwareUpdater/Engine/CypressHID/EngineTrace.h"

#include <cstdio>

#include "OrvFramework/System/DebugTracer.h"

namespace Varnet {

namespace {

// Tracing is asked for with "-DEBUG_CONSOLE": the console is open or a listener's port is set.
bool TracerAsked() {
    const Orv::DebugTracer& tracer = Orv::DebugTracer::Instance();
    return tracer.IsConsoleOpen() || (tracer.GetPort() >= 1 && tracer.GetPort() <= 65535);
}

}  // namespace

bool EngineTrace::On() const { return m_sink ? true : TracerAsked(); }

void EngineTrace::operator()(const std::string& text) const {
    if (m_sink) {
        m_sink(EngineTracePrefix + text);
        return;
    }
    if (TracerAsked()) Orv::DebugTracer::Instance().TraceLine(0, "%s%s", EngineTracePrefix, text.c_str());
}

std::string Hex(unsigned long value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*lX", digits, value);
    return text;
}

}  // namespace Varnet
