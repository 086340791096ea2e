#pragma once
// The real update engine against the simulated Varnet on virtual time, with the registry in a
// temporary folder and the "application" center's notifications collected on the test thread.
#include "FirmwareUpdater/Engine/CypressHID/FirmwareUpdateProgressNotificationData.h"
#include "FirmwareUpdater/Engine/CypressHID/UpdateEngine.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"
#include "OrvFramework/Notification/NotificationClient.h"
#include "OrvFramework/System/RegistryKey.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace VarnetTest {

inline std::filesystem::path UniqueTempPath(const std::string& stem) {
    static int counter = 0;
    return std::filesystem::temp_directory_path() /
           (stem + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
}

// Points the registry store at a fresh folder for the life of the object.
class RegistrySandbox {
public:
    RegistrySandbox() : m_dir(UniqueTempPath("varnet-engine-registry")) {
        std::filesystem::create_directories(m_dir);
        ::setenv("VARNET_REGISTRY_DIR", m_dir.c_str(), 1);
    }
    ~RegistrySandbox() {
        ::unsetenv("VARNET_REGISTRY_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    // The stored "SuppressAutoUpdates", or nothing when it was never written or is unreadable.
    std::optional<bool> SuppressAutoUpdates() const {
        Orv::LRegistryKey key(Orv::kLocalMachine, Orv::String(SuppressAutoUpdatesKeyPath));
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;
        if (Orv::Failed(key.GetRawValue(Orv::String(SuppressAutoUpdatesValueName), type, bytes))) return std::nullopt;
        Orv::RegistryVariant value;
        double number = 0;
        if (!Orv::RegistryVariant::Deserialize(bytes, value) || value.GetKind() != 1 || !value.ToNumber(number))
            return std::nullopt;
        return number != 0;
    }
    const std::filesystem::path& Dir() const { return m_dir; }

private:
    std::filesystem::path m_dir;
};

struct Received {
    std::u16string id;
    double fraction = -1;
    int seconds = -1;
    bool flag = false;
    bool hasProgress = false;
};

// Registers for the firmware family with the "application" center; Collect delivers what is queued.
class NotificationRecorder : public Orv::LNotificationClient {
public:
    static Orv::RCPtr<NotificationRecorder> Create() {
        auto recorder = Orv::MakeRC<NotificationRecorder>();
        auto center = Orv::GetApplicationNotificationCenter();
        center->GetQueue()->Discard();  // nothing left over from an earlier test
        for (const char16_t* id : {NID_FIRMWARE_UPDATE_PROGRESS, NID_FIRMWARE_UPDATE_COMPLETE,
                                   NID_FIRMWARE_UPDATE_FAILED, NID_READY_TO_UPDATE,
                                   NID_FIRMWARE_UPDATE_NOT_NEEDED})
            recorder->Register(center.Get(), id);
        return recorder;
    }
    ~NotificationRecorder() override = default;

    Orv::ORVRESULT ReceiveNotification(Orv::LNotificationDistributor*, Orv::LNotification* n) override {
        Received r;
        r.id = n->GetID();
        if (const auto* p = n->GetParameterAs<LFirmwareUpdateProgressNotificationData>()) {
            r.hasProgress = true;
            r.fraction = p->GetFractionComplete();
            r.seconds = p->GetSecondsRemaining();
            r.flag = p->GetFlag();
        }
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
        for (const char16_t* id : {NID_FIRMWARE_UPDATE_PROGRESS, NID_FIRMWARE_UPDATE_COMPLETE,
                                   NID_FIRMWARE_UPDATE_FAILED, NID_READY_TO_UPDATE,
                                   NID_FIRMWARE_UPDATE_NOT_NEEDED})
            Unregister(center.Get(), Orv::InternNotificationID(id));
    }

    std::vector<Received> log;
};

using Flash = std::map<Varnet::SimulatedHidPlatform::FlashKey, std::vector<std::uint8_t>>;

// A .cyacd image of `rowCount` rows of array 0 (rows firstRow...), `rowSize` bytes each, with
// correct row checksums; every line ends in a line feed.
class TestImage {
public:
    TestImage(int rowCount, std::uint32_t siliconId = Varnet::SampleSiliconId,
              std::uint8_t siliconRevision = Varnet::SampleSiliconRevision, int rowSize = 64,
              int firstRow = 0)
        : m_path(UniqueTempPath("varnet-engine-image").string() + ".cyacd") {
        char header[32];
        std::snprintf(header, sizeof header, "%08X%02X00\n", siliconId, siliconRevision);
        std::string text = header;
        for (int i = 0; i < rowCount; ++i) {
            const int rowNumber = firstRow + i;
            std::vector<std::uint8_t> bytes = {0, static_cast<std::uint8_t>(rowNumber >> 8),
                                               static_cast<std::uint8_t>(rowNumber & 0xFF),
                                               static_cast<std::uint8_t>(rowSize >> 8),
                                               static_cast<std::uint8_t>(rowSize & 0xFF)};
            std::vector<std::uint8_t> data;
            for (int b = 0; b < rowSize; ++b) data.push_back(static_cast<std::uint8_t>(rowNumber * 7 + b * 13 + 1));
            bytes.insert(bytes.end(), data.begin(), data.end());
            unsigned sum = 0;
            for (auto b : bytes) sum += b;
            bytes.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
            text += ':';
            for (auto b : bytes) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02X", b);
                text += hex;
            }
            text += '\n';
            rows[{0, static_cast<std::uint16_t>(rowNumber)}] = data;
        }
        std::ofstream(m_path, std::ios::binary) << text;
    }
    ~TestImage() { std::filesystem::remove(m_path); }
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;

    const std::string& Path() const { return m_path; }
    // The command-line option that names this image.
    std::string Option() const { return "-ABSOLUTE_FIRMWARE_FILE_PATH=" + m_path; }

    Flash rows;

private:
    std::string m_path;
};

inline Varnet::SimulatorConfig QuickConfig(std::uint16_t version = 0x0101) {
    Varnet::SimulatorConfig config;
    config.latencyMs = 0;
    config.applicationVersion = version;
    return config;
}

}  // namespace VarnetTest
