#pragma once
// The real update engine against the simulated Varnet on virtual time, with a private registry
// (Support/RegistrySandbox.h) and the "application" center's notifications collected on the test thread.
#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/Engine/CypressHID/ImageMetadata.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Notification/NotificationClient.h"
#include "HostileImages.h"
#include "Support/RegistrySandbox.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace VarnetTest {

struct Received {
    std::u16string id;
    double fraction = -1;
    int seconds = -1;
    bool flag = false;
};

// Registers for the firmware family with the "application" center; Collect delivers what is queued.
class NotificationRecorder : public Orv::LNotificationClient {
public:
    static constexpr const char16_t* kFamily[] = {NID_FIRMWARE_UPDATE_PROGRESS, NID_FIRMWARE_UPDATE_COMPLETE,
                                                  NID_FIRMWARE_UPDATE_FAILED, NID_READY_TO_UPDATE,
                                                  NID_FIRMWARE_UPDATE_NOT_NEEDED};
    static Orv::RCPtr<NotificationRecorder> Create() {
        auto recorder = Orv::MakeRC<NotificationRecorder>();
        auto center = Orv::GetApplicationNotificationCenter();
        center->GetQueue()->Discard();  // nothing left over from an earlier test
        for (const char16_t* id : kFamily) recorder->Register(center.Get(), id);
        return recorder;
    }
    Orv::ORVRESULT ReceiveNotification(Orv::LNotificationDistributor*, Orv::LNotification* n) override {
        Received r{n->GetID()};
        if (const auto* p = n->GetParameterAs<LFirmwareUpdateProgressNotificationData>())
            r = {r.id, p->GetFractionComplete(), p->GetSecondsRemaining(), p->GetFlag()};
        log.push_back(r);
        return Orv::S_OK;
    }

    const std::vector<Received>& Collect() {
        auto center = Orv::GetApplicationNotificationCenter();
        while (center->ProcessQueue(false)) {
        }
        return log;
    }
    std::vector<Received> Progress() {
        std::vector<Received> out;
        for (const auto& r : Collect())
            if (r.id == NID_FIRMWARE_UPDATE_PROGRESS) out.push_back(r);
        return out;
    }
    // The identifiers other than progress, in order.
    std::vector<std::u16string> Outcomes() {
        std::vector<std::u16string> out;
        for (const auto& r : Collect())
            if (r.id != NID_FIRMWARE_UPDATE_PROGRESS) out.push_back(r.id);
        return out;
    }
    void Detach() {
        auto center = Orv::GetApplicationNotificationCenter();
        for (const char16_t* id : kFamily) Unregister(center.Get(), Orv::InternNotificationID(id));
    }

    std::vector<Received> log;
};

using Flash = std::map<Varnet::SimulatedHidPlatform::FlashKey, std::vector<std::uint8_t>>;

// The simulated flash's last row, where the bootloader looks for the application's metadata.
inline constexpr std::uint16_t kMetadataRow = 255;

// A flash row of `rowSize` bytes whose last 64 describe the application in `application` (rows of
// array 0 right after `bootloaderLastRow`) as the bootloader checks it.
inline std::vector<std::uint8_t> MetadataRow(const Flash& application, std::uint32_t bootloaderLastRow,
                                             std::uint32_t rowSize) {
    Varnet::ApplicationMetadata m;
    std::uint32_t lastRow = bootloaderLastRow;
    for (const auto& [key, data] : application) {
        for (auto b : data) m.checksum = static_cast<std::uint8_t>(m.checksum - b);
        lastRow = std::max<std::uint32_t>(lastRow, key.second);
    }
    m.entryAddress = (bootloaderLastRow + 1) * rowSize;  // the application's first byte
    m.bootloaderLastRow = bootloaderLastRow;
    m.applicationLength = (lastRow - bootloaderLastRow) * rowSize;
    m.applicationVersion = 0x0102;
    std::vector<std::uint8_t> row(rowSize, 0);
    Varnet::EncodeApplicationMetadata(m, row.data() + rowSize - Varnet::MetadataSize);
    return row;
}

inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (auto b : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
    }
    return text;
}

// What an image carries in the flash's last row.
enum class Metadata { Valid, None, BadChecksum };

// A .cyacd image of `rowCount` rows of array 0 (rows firstRow...), `rowSize` bytes each, with
// correct row checksums, followed by the metadata row (kMetadataRow) that lets the bootloader
// start the application; every line ends in a line feed. `rows` is the flash it leaves.
class TestImage {
public:
    TestImage(int rowCount, std::uint32_t siliconId = Varnet::SampleSiliconId,
              std::uint8_t siliconRevision = Varnet::SampleSiliconRevision, int rowSize = 64, int firstRow = 16,
              Metadata metadata = Metadata::Valid)
        : m_path(UniqueTempPath("varnet-engine-image").string() + ".cyacd") {
        char header[32];
        std::snprintf(header, sizeof header, "%08X%02X00\n", siliconId, siliconRevision);
        std::string text = header;
        for (int i = 0; i < rowCount; ++i) {
            const int rowNumber = firstRow + i;
            std::vector<std::uint8_t> data;
            for (int b = 0; b < rowSize; ++b) data.push_back(static_cast<std::uint8_t>(rowNumber * 7 + b * 13 + 1));
            text += RowLine(0, rowNumber, Hex(data)) + "\n";
            rows[{0, static_cast<std::uint16_t>(rowNumber)}] = data;
        }
        if (metadata != Metadata::None) {
            auto data =
                MetadataRow(rows, static_cast<std::uint32_t>(firstRow - 1), static_cast<std::uint32_t>(rowSize));
            if (metadata == Metadata::BadChecksum) data[data.size() - 64] ^= 0x01;
            text += RowLine(0, kMetadataRow, Hex(data)) + "\n";
            rows[{0, kMetadataRow}] = data;
        }
        std::ofstream(m_path, std::ios::binary) << text;
    }
    ~TestImage() { std::filesystem::remove(m_path); }
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;

    const std::string& Path() const { return m_path; }
    std::string Option() const { return "-ABSOLUTE_FIRMWARE_FILE_PATH=" + m_path; }

    Flash rows;

private:
    std::string m_path;
};

// Virtual time that calls a hook before every wait that takes time: lets a test look at or change
// the world at a point of the upload that the engine reaches on its own thread.
class HookClock final : public Orv::Platform::IClock {
public:
    Orv::Platform::ClockDuration Now() const override { return Orv::Platform::ClockDuration(m_now.load()); }
    void Sleep(Orv::Platform::ClockDuration duration) override {
        // Not on the simulated device's zero-latency waits: it takes them holding its own lock.
        if (hook && duration.count() > 0) hook(duration);
        m_now += duration.count();
    }
    std::function<void(Orv::Platform::ClockDuration)> hook;

protected:
    std::chrono::nanoseconds RealWaitBudget(Orv::Platform::ClockDuration) const override {
        return std::chrono::milliseconds(1);
    }
    void NoteTimedOut(Orv::Platform::ClockDuration timeout) override { m_now += timeout.count(); }

private:
    std::atomic<std::int64_t> m_now{0};
};

inline Varnet::SimulatorConfig QuickConfig(std::uint16_t version = 0x0101) {
    Varnet::SimulatorConfig config;
    config.latencyMs = 0;
    config.applicationVersion = version;
    return config;
}

}  // namespace VarnetTest
