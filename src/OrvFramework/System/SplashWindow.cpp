#include "OrvFramework/System/SplashWindow.h"

#include <algorithm>
#include <array>

#include "OrvFramework/Platform/HostApp.h"
#include "OrvFramework/Platform/HostWindow.h"
#include "OrvFramework/Platform/KeyCodes.h"
#include "OrvFramework/System/DebugTracer.h"

namespace Orv {

namespace {

// The strip: 4 px from the sides, 20 px from the bottom, 16 px high, range 0 to 100.
constexpr int kStripInset = 4;
constexpr int kStripFromBottom = 20;
constexpr int kStripHeight = 16;
constexpr std::uint32_t kStripBorder = 0xFFBCBCBC;
constexpr std::uint32_t kStripTrough = 0xFFE6E6E6;

int ClampPosition(int position) { return std::clamp(position, 0, 100); }

// Non-premultiplied source over an opaque white background.
std::uint32_t OverWhite(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    auto channel = [a](std::uint32_t c) { return (c * a + 255u * (255u - a) + 127u) / 255u; };
    return 0xFF000000u | channel((argb >> 16) & 0xFF) << 16 | channel((argb >> 8) & 0xFF) << 8 | channel(argb & 0xFF);
}

}  // namespace

void SplashProgress::SetPosition(int position) {
    m_timerRunning = false;
    m_position = ClampPosition(position);
}

void SplashProgress::StartRun(int start, int end, int seconds) {
    m_position = ClampPosition(start);
    // A run of no time has nothing to step through: it is at its end at once (and never divides
    // by zero).
    if (seconds <= 0) {
        m_timerRunning = false;
        m_stepsLeft = 0;
        m_step = 0;
        m_position = ClampPosition(end);
        return;
    }
    m_stepsLeft = seconds * 4;
    m_step = (end - start) / m_stepsLeft;
    m_timerRunning = true;
}

void SplashProgress::Tick() {
    if (!m_timerRunning) return;
    m_position = ClampPosition(m_position + m_step);
    if (--m_stepsLeft <= 0) m_timerRunning = false;
}

std::vector<std::uint32_t> ComposeSplashFrame(const SplashPicture& picture, bool strip, int position,
                                              std::uint32_t barColor) {
    if (!picture.IsValid()) return {};
    std::vector<std::uint32_t> frame(picture.pixels.size());
    std::transform(picture.pixels.begin(), picture.pixels.end(), frame.begin(), OverWhite);
    if (!strip) return frame;
    const int x0 = kStripInset, y0 = picture.height - kStripFromBottom;
    const int w = picture.width - 2 * kStripInset, h = kStripHeight;
    auto put = [&](int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < picture.width && y < picture.height)
            frame[static_cast<std::size_t>(y) * picture.width + x] = c;
    };
    if (w <= 2 || h <= 2) return frame;
    const int filled = (w - 2) * ClampPosition(position) / 100;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            const bool border = y == y0 || y == y0 + h - 1 || x == x0 || x == x0 + w - 1;
            const bool fill = x - x0 - 1 < filled;
            put(x, y, border ? kStripBorder : fill ? (0xFF000000u | barColor) : kStripTrough);
        }
    }
    return frame;
}

struct SplashWindow::Shared {
    Platform::IClock* clock = nullptr;
    mutable std::mutex lock;
    std::condition_variable cv;
    std::deque<std::array<std::int64_t, 3>> messages;
    bool startSignalled = false;
    SplashState state;
    std::vector<std::uint32_t> frame;
    SplashPicture picture;
    std::string title;
    bool showInTaskBar = false;
    std::function<void()> onCancel;
    SplashArea cancelButton;
};

SplashWindow::SplashWindow(Platform::IClock& clock) : m_clock(clock), m_shared(std::make_shared<Shared>()) {
    m_shared->clock = &clock;
}

SplashWindow::~SplashWindow() { Close(); }

void SplashWindow::SetCancelHandler(std::function<void()> handler, SplashArea button) {
    if (m_started) return;
    m_shared->onCancel = std::move(handler);
    m_shared->cancelButton = button;
}

bool SplashWindow::Start(std::optional<SplashPicture> picture, std::string title, bool showInTaskBar) {
    if (m_started) return GetState().windowShown;
    m_started = true;
    if (!picture || !picture->IsValid()) {
        // Nothing to show: the thread would end at once, and start-up must not wait for it.
        std::lock_guard lock(m_shared->lock);
        m_shared->state.finished = true;
        return false;
    }
    m_shared->picture = std::move(*picture);
    m_shared->title = std::move(title);
    m_shared->showInTaskBar = showInTaskBar;
    m_thread = std::thread(&SplashWindow::ThreadMain, m_shared);
    std::unique_lock lock(m_shared->lock);
    if (!m_clock.WaitFor(m_shared->cv, lock, std::chrono::milliseconds(kSplashStartTimeoutMs),
                         [this] { return m_shared->startSignalled; })) {
        lock.unlock();
        WriteDebuggerOutput("Error starting SplashThread\n");
        return false;
    }
    return m_shared->state.windowShown;
}

void SplashWindow::PostMessage(std::uint32_t message, std::uint32_t wParam, std::int64_t lParam) {
    {
        std::lock_guard lock(m_shared->lock);
        if (m_shared->state.finished) return;
        m_shared->messages.push_back({message, wParam, lParam});
    }
    m_shared->cv.notify_all();
}

void SplashWindow::Close() {
    if (!m_thread.joinable()) return;
    SetProgress(100);
    PostMessage(kSplashMsgQuit);
    bool finished;
    {
        std::unique_lock lock(m_shared->lock);
        finished = m_clock.WaitFor(m_shared->cv, lock, std::chrono::milliseconds(kSplashCloseTimeoutMs),
                                   [this] { return m_shared->state.finished; });
    }
    // A thread that does not answer is left to end on its own; it holds its own share of the state.
    if (finished)
        m_thread.join();
    else
        m_thread.detach();
}

SplashState SplashWindow::GetState() const {
    std::lock_guard lock(m_shared->lock);
    return m_shared->state;
}

bool SplashWindow::WaitForState(const std::function<bool(const SplashState&)>& pred, Platform::ClockDuration timeout) {
    std::unique_lock lock(m_shared->lock);
    return m_clock.WaitFor(m_shared->cv, lock, timeout, [&] { return pred(m_shared->state); });
}

std::vector<std::uint32_t> SplashWindow::LastFrame() const {
    std::lock_guard lock(m_shared->lock);
    return m_shared->frame;
}

void SplashWindow::ThreadMain(std::shared_ptr<Shared> shared) {
    auto finish = [&shared] {
        {
            std::lock_guard lock(shared->lock);
            shared->state.finished = true;
            shared->startSignalled = true;  // whoever waits to start may go on
        }
        shared->cv.notify_all();
    };
    const SplashPicture& picture = shared->picture;
    const bool interactive = static_cast<bool>(shared->onCancel);

    // The window's input and exposure; only a splash that can be cancelled reads them.
    struct Events : Platform::IHostWindowEvents {
        std::function<void()> cancel;
        std::function<void()> paint;
        const SplashArea* button = nullptr;
        bool pressedInButton = false;
        void OnHostKey(const Platform::HostKeyEvent& key, bool down) override {
            if (down && key.virtualKey == Platform::Key::Escape) cancel();
        }
        void OnHostMouseButton(int which, bool down, bool, int x, int y, unsigned) override {
            if (which != Platform::kMouseLeft) return;
            if (down) {
                pressedInButton = button->Contains(x, y);
                return;
            }
            if (pressedInButton && button->Contains(x, y)) cancel();
            pressedInButton = false;
        }
        void OnHostClose() override { cancel(); }
        // The window may be exposed while it is being shown, before its painter is set.
        void OnHostExpose() override {
            if (paint) paint();
        }
    } events;
    events.button = &shared->cancelButton;

    Platform::HostWindowParams params;
    params.title = shared->title;
    params.width = picture.width;
    params.height = picture.height;
    params.resizable = false;
    params.borderless = true;
    params.inTaskBar = shared->showInTaskBar;
    params.centreOnWorkArea = true;
    params.ownThread = true;
    std::unique_ptr<Platform::IHostWindow> window = Platform::CreateHostWindow(params, events);
    if (!window) {
        WriteDebuggerOutput("Unable to create SplashWnd\n");
        finish();
        return;
    }
    if (interactive) {
        // The user is to answer it (Escape): it takes the focus like any window they opened.
        window->Show(true);
        window->BringToFront();
    } else {
        window->Show(false);
    }
    const std::uint32_t windowId = window->GetId();

    SplashProgress progress;
    bool strip = false;
    std::uint32_t barColor = 0x06B025;
    auto paint = [&] {
        std::vector<std::uint32_t> frame = ComposeSplashFrame(picture, strip, progress.Position(), barColor);
        Platform::PaintTarget target;
        if (window->BeginPaint(target)) {
            // The frame is opaque: its straight pixels are also premultiplied ones.
            const int w = std::min(picture.width, target.width);
            for (int y = 0; y < std::min(picture.height, target.height); ++y)
                std::copy_n(frame.data() + static_cast<std::size_t>(y) * picture.width, w, target.Row(y));
            window->EndPaint();
        }
        std::lock_guard lock(shared->lock);
        shared->frame = std::move(frame);
        shared->state.stripCreated = strip;
        shared->state.position = progress.Position();
        shared->state.step = progress.Step();
        shared->state.stepsLeft = progress.StepsLeft();
        shared->state.timerRunning = progress.TimerRunning();
        shared->state.barColor = barColor;
        shared->cv.notify_all();
    };
    auto setPosition = [&](int position) {
        strip = true;
        progress.SetPosition(position);
    };
    paint();
    {
        std::lock_guard lock(shared->lock);
        shared->state.windowShown = true;
        shared->state.windowId = windowId;
        shared->startSignalled = true;
    }
    shared->cv.notify_all();

    bool cancelled = false;
    events.cancel = [&] {
        if (cancelled) return;
        cancelled = true;
        {
            std::lock_guard lock(shared->lock);
            shared->state.cancelled = true;
        }
        shared->cv.notify_all();
        shared->onCancel();
    };
    events.paint = paint;
    auto handleInput = [&] { window->PumpEvents(); };

    Platform::IClock& clock = *shared->clock;
    auto nextTick = clock.Now();
    for (bool quit = false; !quit;) {
        if (interactive) handleInput();
        std::array<std::int64_t, 3> message{};
        bool have;
        {
            std::unique_lock lock(shared->lock);
            // Idle without a run: wake now and then anyway, the wait is always bounded; a splash
            // the user may cancel wakes often enough to answer at once.
            const auto idle = std::chrono::milliseconds(interactive ? kSplashInputPollMs : kSplashTickMs);
            auto wait = progress.TimerRunning() ? std::max(nextTick - clock.Now(), Platform::ClockDuration(0))
                                                : Platform::ClockDuration(idle);
            wait = std::min(wait, Platform::ClockDuration(idle));
            have = clock.WaitFor(shared->cv, lock, wait, [&] { return !shared->messages.empty(); });
            if (have) {
                message = shared->messages.front();
                shared->messages.pop_front();
            }
        }
        if (!have) {
            if (progress.TimerRunning() && clock.Now() >= nextTick) {
                progress.Tick();
                nextTick += std::chrono::milliseconds(kSplashTickMs);
                paint();
            }
            continue;
        }
        const auto wParam = static_cast<std::uint32_t>(message[1]);
        switch (static_cast<std::uint32_t>(message[0])) {
        case kSplashMsgSetPosition:
            setPosition(static_cast<std::int32_t>(wParam));
            break;
        case kSplashMsgProgressRun:
            strip = true;
            progress.StartRun(static_cast<int>(wParam & 0xFFFF), static_cast<int>(wParam >> 16),
                              static_cast<int>(message[2]));
            nextTick = clock.Now() + std::chrono::milliseconds(kSplashTickMs);
            break;
        case kSplashMsgBarColor: {
            if (!strip) setPosition(0);
            // COLORREF is 0x00BBGGRR.
            const auto ref = static_cast<std::uint32_t>(message[2]);
            barColor = (ref & 0xFF) << 16 | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
            break;
        }
        case kSplashMsgQuit:
            quit = true;
            break;
        default:
            break;  // not a splash message
        }
        paint();
    }
    window.reset();
    finish();
}

}  // namespace Orv
