#include "OrvFramework/Notification/RetriggerableThreader.h"

namespace Orv {

RetriggerableThreader::RetriggerableThreader(Platform::IClock& clock)
    : m_clock(clock), m_state(std::make_shared<State>()) {
    try {
        m_thread = std::thread(&RetriggerableThreader::ThreadProc, m_state);
        m_threadId = m_thread.get_id();
    } catch (const std::system_error&) {
        // Without a thread the threader accepts triggers but never runs them.
    }
}

void RetriggerableThreader::ThreadProc(std::shared_ptr<State> state) {
    state->nativeId.store(Platform::CurrentNativeThreadId());
    std::unique_lock<std::mutex> lock(state->lock);
    while (!state->stopping.load()) {
        // Waiting for a trigger is the one unbounded wait: the destructor always signals.
        state->wake.wait(lock, [&] { return state->wakeSignalled; });
        state->wakeSignalled = false;
        ConstRCPtr<LThreadWorker> worker = std::move(state->worker);
        ConstRCPtr<LRefCountedObject> parameters = std::move(state->parameters);
        lock.unlock();
        if (!state->stopping.load() && worker)
            state->lastResult.store(const_cast<LThreadWorker*>(worker.Get())->Run(parameters));
        worker.Reset();  // released on this thread
        parameters.Reset();
        lock.lock();
        ConstRCPtr<LEvent> completion = std::move(state->completion);
        state->busy.store(false);
        if (completion) {
            lock.unlock();
            const_cast<LEvent*>(completion.Get())->Set();
            completion.Reset();
            lock.lock();
        }
    }
    state->threadEnded = true;
    state->ended.notify_all();
}

ORVRESULT RetriggerableThreader::Trigger(const ConstRCPtr<LThreadWorker>& worker,
                                         const ConstRCPtr<LRefCountedObject>& parameters, int priority,
                                         const ConstRCPtr<LEvent>& completion) {
    State& s = *m_state;
    std::unique_lock<std::mutex> lock(s.lock);
    if (s.stopping.load()) return E_FAIL;
    if (s.busy.load() && s.threadEnded) s.busy.store(false);
    if (s.busy.load()) return E_FAIL;
    Platform::SetNativeThreadPriority(s.nativeId.load(), priority);
    s.worker = worker;
    s.parameters = parameters;
    s.completion = completion;
    if (completion) const_cast<LEvent*>(completion.Get())->Reset();
    s.busy.store(true);
    s.wakeSignalled = true;
    s.wake.notify_one();
    return S_OK;
}

bool RetriggerableThreader::IsBusy() const { return m_state->busy.load(); }
ORVRESULT RetriggerableThreader::GetLastResult() const { return m_state->lastResult.load(); }

RetriggerableThreader::~RetriggerableThreader() {
    State& s = *m_state;
    bool ended = true;
    ConstRCPtr<LThreadWorker> worker;
    ConstRCPtr<LRefCountedObject> parameters;
    ConstRCPtr<LEvent> completion;
    {
        std::unique_lock<std::mutex> lock(s.lock);
        s.stopping.store(true);
        s.wakeSignalled = true;
        s.wake.notify_one();
        if (m_thread.joinable()) ended = m_clock.WaitFor(s.ended, lock, kStopTimeout, [&] { return s.threadEnded; });
        // Dropped here (outside the lock), not by a thread that may never come back.
        worker = std::move(s.worker);
        parameters = std::move(s.parameters);
        completion = std::move(s.completion);
    }
    if (!m_thread.joinable()) return;
    if (ended)
        m_thread.join();
    else
        m_thread.detach();  // the thread keeps the shared state alive until its run returns
}

}  // namespace Orv
