// varnet-gadget APP_GADGET BOOT_GADGET UDC: plays the Varnet as a USB device inside the test guest.
//
// The two gadget folders (configfs, prepared by the guest's init script) are the device's two modes:
// APP_GADGET has HID functions hid.if0 and hid.if4 (USB interfaces 0 and 4), BOOT_GADGET one HID
// function hid.boot. The device logic is the simulated Varnet, configured from the same VARNET_SIM_*
// variables as the program's simulator; this program only carries reports between the gadget's
// /dev/hidgN nodes and the simulator, and binds to UDC whichever gadget matches the simulator's
// state (none while it is absent). SIGTERM unbinds and ends it; the simulator then writes its flash
// output (VARNET_SIM_FLASH_OUT) as it does at every exit.
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Orv::Platform::IHidDevice;
using Orv::Platform::kHidReportSize;
using Varnet::SimulatedState;

constexpr std::size_t PacketSize = kHidReportSize - 1;
// How often the simulator's state is looked at when no report arrives.
constexpr int PollMs = 20;
// A host that stopped reading must not stall the device: answers wait at most this long.
constexpr int AnswerWriteMs = 2000;

volatile sig_atomic_t g_stop = 0;

void Fail(const std::string& what) {
    std::fprintf(stderr, "varnet-gadget: %s: %s\n", what.c_str(), std::strerror(errno));
}

bool WriteAttribute(const fs::path& file, const std::string& value) {
    std::ofstream out(file);
    out << value << '\n';
    out.flush();
    if (!out) {
        Fail("cannot write " + value + " to " + file.string());
        return false;
    }
    return true;
}

// The /dev node of a HID function: its "dev" attribute (major:minor) names the hidg device.
std::string HidgNode(const fs::path& function) {
    std::ifstream in(function / "dev");
    std::string devnum;
    in >> devnum;
    for (const auto& entry : fs::directory_iterator("/sys/class/hidg")) {
        std::ifstream dev(entry.path() / "dev");
        std::string number;
        dev >> number;
        if (number == devnum) return "/dev/" + entry.path().filename().string();
    }
    return {};
}

// One HID function of the bound gadget and the simulator interface behind it.
struct Port {
    int fd = -1;
    std::unique_ptr<IHidDevice> device;
    bool bootloader = false;
};

class Bridge {
public:
    Bridge(fs::path app, fs::path boot, std::string udc, Varnet::SimulatedHidPlatform& sim)
        : m_app(std::move(app)), m_boot(std::move(boot)), m_udc(std::move(udc)), m_sim(sim) {}

    // Runs until SIGTERM; false when the gadget could not be driven.
    bool Run() {
        bool ok = true;
        while (!g_stop && ok) {
            const SimulatedState state = m_sim.GetState();
            if (state != m_bound) ok = Rebind(state);
            if (ok) ok = Serve();
        }
        Unbind();
        return ok;
    }

private:
    bool Rebind(SimulatedState state) {
        Unbind();
        m_bound = state;
        if (state == SimulatedState::Absent) return true;
        const bool boot = state == SimulatedState::Bootloader;
        const fs::path& gadget = boot ? m_boot : m_app;
        if (!boot) {
            char bcd[8];
            std::snprintf(bcd, sizeof bcd, "0x%04x", m_sim.GetApplicationVersion());
            if (!WriteAttribute(gadget / "bcdDevice", bcd)) return false;
        }
        if (!WriteAttribute(gadget / "UDC", m_udc)) return false;
        std::vector<Orv::Platform::HidInterfaceInfo> interfaces;
        m_sim.Enumerate(interfaces);
        for (const auto& info : interfaces) {
            const char* function = boot ? "hid.boot" : info.interfaceNumber == 4 ? "hid.if4" : "hid.if0";
            Port port;
            port.bootloader = boot;
            const std::string node = HidgNode(gadget / "functions" / function);
            port.fd = node.empty() ? -1 : ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            port.device = m_sim.Open(info.path);
            if (port.fd < 0 || !port.device) {
                Fail(std::string("cannot open the gadget function ") + function);
                if (port.fd >= 0) ::close(port.fd);
                return false;
            }
            m_ports.push_back(std::move(port));
        }
        std::printf("varnet-gadget: bound %s\n", boot ? "bootloader" : "application");
        std::fflush(stdout);
        return true;
    }

    void Unbind() {
        for (Port& port : m_ports) ::close(port.fd);
        m_ports.clear();
        if (m_bound != SimulatedState::Absent) {
            (void)WriteAttribute((m_bound == SimulatedState::Bootloader ? m_boot : m_app) / "UDC", "");
            std::printf("varnet-gadget: unbound\n");
            std::fflush(stdout);
        }
        m_bound = SimulatedState::Absent;
    }

    // Waits a little for reports from the host and hands each to the simulator.
    bool Serve() {
        std::vector<pollfd> fds;
        for (const Port& port : m_ports) fds.push_back({port.fd, POLLIN, 0});
        if (fds.empty()) {
            ::usleep(PollMs * 1000);
            return true;
        }
        if (::poll(fds.data(), fds.size(), PollMs) < 0) return errno == EINTR;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            std::array<std::uint8_t, kHidReportSize> report{};
            const ssize_t n = ::read(fds[i].fd, report.data() + 1, PacketSize);
            if (n <= 0) continue;
            Port& port = m_ports[i];
            if (!port.bootloader) {
                // An output report in application mode; the host's HID driver has already dropped
                // the unnumbered report's ID 0, which the device model expects in front.
                port.device->SetOutputReport(report.data(), static_cast<std::size_t>(n) + 1);
                continue;
            }
            if (!port.device->Write(report.data(), report.size())) continue;
            std::array<std::uint8_t, kHidReportSize> answer{};
            if (port.device->Read(answer.data(), answer.size()) > 0) SendAnswer(port.fd, answer.data() + 1);
        }
        return true;
    }

    static void SendAnswer(int fd, const std::uint8_t* packet) {
        pollfd out{fd, POLLOUT, 0};
        if (::poll(&out, 1, AnswerWriteMs) <= 0 || ::write(fd, packet, PacketSize) != static_cast<ssize_t>(PacketSize))
            Fail("an answer did not reach the host");
    }

    const fs::path m_app, m_boot;
    const std::string m_udc;
    Varnet::SimulatedHidPlatform& m_sim;
    SimulatedState m_bound = SimulatedState::Absent;
    std::vector<Port> m_ports;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: varnet-gadget APP_GADGET BOOT_GADGET UDC\n");
        return 2;
    }
    Varnet::SimulatorConfig config;
    std::string error;
    if (Orv::Failed(Varnet::ReadSimulatorConfigFromEnvironment(config, error))) {
        std::fprintf(stderr, "varnet-gadget: %s\n", error.c_str());
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = [](int) { g_stop = 1; };
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    Orv::Platform::RealClock clock;
    Varnet::SimulatedHidPlatform sim(std::move(config), clock);
    Bridge bridge(argv[1], argv[2], argv[3], sim);
    return bridge.Run() ? 0 : 1;
}
