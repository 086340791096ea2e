#pragma once
// Where the update engine says what it does: one short line per event, each beginning "engine: ".
// The lines go to an injected sink (tests, embedding hosts), else to the debug tracer when tracing
// was asked for on the command line (console or network), and nowhere otherwise: a run without
// tracing prints nothing extra. Callers on a hot path test On() before they build a line, so that
// an untraced upload pays one branch per row and nothing more.
#include <functional>
#include <string>
#include <utility>

namespace Varnet {

inline constexpr char EngineTracePrefix[] = "engine: ";

class EngineTrace {
public:
    using Sink = std::function<void(const std::string&)>;

    EngineTrace() = default;
    explicit EngineTrace(Sink sink) : m_sink(std::move(sink)) {}

    bool On() const;
    // Writes "engine: " and the text as one line; nothing when tracing is off.
    void operator()(const std::string& text) const;

private:
    Sink m_sink;
};

// Hexadecimal with a "0x" and at least `digits` digits: ids in the trace read as they are written
// everywhere else.
std::string Hex(unsigned long value, int digits);

}  // namespace Varnet
