#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {

void LRenderer::PushState() {
    if (!m_painting) return;
    m_stack.push_back(m_state);
}

void LRenderer::PushTranslation(LPoint offset) {
    if (!m_painting) return;
    PushState();
    m_state.origin.x += offset.x;
    m_state.origin.y += offset.y;
    m_state.clip.x -= offset.x;
    m_state.clip.y -= offset.y;
    ApplyState();
}

void LRenderer::PushClip(const LRect& rect) {
    if (!m_painting) return;
    PushState();
    m_state.clip = m_state.clip.Intersect(rect);
    ApplyState();
}

void LRenderer::PopState() {
    if (m_stack.empty()) return;
    m_state = std::move(m_stack.back());
    m_stack.pop_back();
    if (m_painting) ApplyState();
}

void LRenderer::SetClipRect(const LRect& rect) {
    m_state.clip = rect;
    if (m_painting) ApplyState();
}

void LRenderer::SetOrigin(LPoint origin) {
    m_state.clip.x -= origin.x - m_state.origin.x;
    m_state.clip.y -= origin.y - m_state.origin.y;
    m_state.origin = origin;
    if (m_painting) ApplyState();
}

void LRenderer::StartStates(const LRect& targetBounds) {
    m_stack.clear();
    m_painting = true;
    m_state.clip = {targetBounds.x - m_state.origin.x, targetBounds.y - m_state.origin.y, targetBounds.width,
                    targetBounds.height};
    ApplyState();
}

void LRenderer::EndStates() {
    if (!m_stack.empty()) {
        m_state = std::move(m_stack.front());
        m_stack.clear();
    }
    m_painting = false;
}

}  // namespace Orv
