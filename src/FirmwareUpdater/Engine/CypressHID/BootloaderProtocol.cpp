#include "FirmwareUpdater/Engine/CypressHID/BootloaderProtocol.h"

#include <algorithm>

namespace Varnet {

using Orv::E_FAIL;
using Orv::ORVRESULT;
using Orv::S_OK;

std::uint16_t ComputePacketChecksum(ChecksumKind kind, const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return 0;
    if (kind == ChecksumKind::Crc16) {
        std::uint16_t crc = 0xFFFF;
        for (std::size_t i = 0; i < count; ++i) {
            unsigned data = bytes[i];
            for (int bit = 0; bit < 8; ++bit, data >>= 1) {
                if ((crc & 1u) != (data & 1u)) {
                    crc = static_cast<std::uint16_t>((crc >> 1) ^ 0x8408u);
                } else {
                    crc = static_cast<std::uint16_t>(crc >> 1);
                }
            }
        }
        crc = static_cast<std::uint16_t>(~crc);
        return static_cast<std::uint16_t>((crc << 8) | (crc >> 8));
    }
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return static_cast<std::uint16_t>(0x10000u - sum);
}

std::size_t BuildPacket(ChecksumKind kind, std::uint8_t code, const std::uint8_t* data, std::size_t length,
                        std::uint8_t* packet) {
    if (length + PacketOverhead > MaxPacketSize) return 0;
    packet[0] = PacketStart;
    packet[1] = code;
    packet[2] = static_cast<std::uint8_t>(length & 0xFFu);
    packet[3] = static_cast<std::uint8_t>(length >> 8);
    if (length > 0) std::copy(data, data + length, packet + 4);
    std::uint16_t checksum = ComputePacketChecksum(kind, packet, 4 + length);
    packet[4 + length] = static_cast<std::uint8_t>(checksum & 0xFFu);
    packet[5 + length] = static_cast<std::uint8_t>(checksum >> 8);
    packet[6 + length] = PacketEnd;
    return length + PacketOverhead;
}

bool IsSuccessFrame(const std::uint8_t* packet, std::size_t dataLength) {
    return packet[0] == PacketStart && packet[1] == 0x00 &&
           packet[2] == static_cast<std::uint8_t>(dataLength & 0xFFu) &&
           packet[3] == static_cast<std::uint8_t>(dataLength >> 8) && packet[6 + dataLength] == PacketEnd;
}

ORVRESULT LBootloaderProtocol::Transfer(std::uint8_t code, const std::uint8_t* data, std::size_t length,
                                        std::uint8_t* answer, std::size_t answerLength) {
    std::uint8_t packet[MaxPacketSize];
    std::size_t size = BuildPacket(m_checksumKind, code, data, length, packet);
    if (size == 0) return E_FAIL;
    ORVRESULT result = m_transport.TransferReport(packet, size, answer, answerLength);
    if (Orv::Failed(result)) return result;
    return IsSuccessFrame(answer, answerLength - PacketOverhead) ? S_OK : E_FAIL;
}

ORVRESULT LBootloaderProtocol::EnterBootloader(std::uint32_t siliconId, std::uint8_t siliconRevision,
                                               std::uint32_t& bootloaderVersion) {
    m_ranges = {};
    m_enterAnswer = {};
    bootloaderVersion = 0;
    std::uint8_t answer[15] = {};
    if (Orv::Failed(Transfer(CmdEnterBootloader, nullptr, 0, answer, sizeof answer))) return E_FAIL;
    std::uint32_t deviceId = answer[4] | (std::uint32_t{answer[5]} << 8) | (std::uint32_t{answer[6]} << 16) |
                             (std::uint32_t{answer[7]} << 24);
    bootloaderVersion = answer[9] | (std::uint32_t{answer[10]} << 8) | (std::uint32_t{answer[11]} << 16);
    m_enterAnswer = {true, deviceId, answer[8], bootloaderVersion};
    if (deviceId != siliconId || answer[8] != siliconRevision) return E_FAIL;
    if (((bootloaderVersion >> 16) & 0xFFu) != SupportedBootloaderMajor) return E_FAIL;
    return S_OK;
}

ORVRESULT LBootloaderProtocol::GetFlashSize(std::uint8_t arrayId, FlashRowRange& range) {
    std::uint8_t answer[11] = {};
    if (Orv::Failed(Transfer(CmdGetFlashSize, &arrayId, 1, answer, sizeof answer))) return E_FAIL;
    range.firstRow = static_cast<std::uint16_t>(answer[4] | (answer[5] << 8));
    range.lastRow = static_cast<std::uint16_t>(answer[6] | (answer[7] << 8));
    return S_OK;
}

ORVRESULT LBootloaderProtocol::CheckRowRange(std::uint8_t arrayId, std::uint16_t rowNumber) {
    if (arrayId >= FlashArrayCount) return E_FAIL;
    FlashRowRange& range = m_ranges[arrayId];
    if (range.IsEmpty()) {
        FlashRowRange asked;
        if (Orv::Failed(GetFlashSize(arrayId, asked))) return E_FAIL;
        range = asked;
    }
    return range.firstRow <= rowNumber && rowNumber <= range.lastRow ? S_OK : E_FAIL;
}

ORVRESULT LBootloaderProtocol::ProgramFlashRow(std::uint8_t arrayId, std::uint16_t rowNumber, const std::uint8_t* data,
                                               std::size_t length) {
    if (Orv::Failed(CheckRowRange(arrayId, rowNumber))) return E_FAIL;
    std::uint8_t answer[7];
    std::size_t offset = 0;
    while (length - offset > SendDataChunkSize) {
        if (Orv::Failed(Transfer(CmdSendData, data + offset, SendDataChunkSize, answer, sizeof answer))) return E_FAIL;
        offset += SendDataChunkSize;
    }
    std::uint8_t last[3 + SendDataChunkSize];
    last[0] = arrayId;
    last[1] = static_cast<std::uint8_t>(rowNumber & 0xFFu);
    last[2] = static_cast<std::uint8_t>(rowNumber >> 8);
    std::copy(data + offset, data + length, last + 3);
    return Transfer(CmdProgramRow, last, 3 + length - offset, answer, sizeof answer);
}

ORVRESULT LBootloaderProtocol::VerifyRow(std::uint8_t arrayId, std::uint16_t rowNumber, std::uint8_t expectedChecksum) {
    // A row outside the device's range was never programmed, so it cannot pass verification.
    if (Orv::Failed(CheckRowRange(arrayId, rowNumber))) return E_FAIL;
    const std::uint8_t request[3] = {arrayId, static_cast<std::uint8_t>(rowNumber & 0xFFu),
                                     static_cast<std::uint8_t>(rowNumber >> 8)};
    std::uint8_t answer[8] = {};
    if (Orv::Failed(Transfer(CmdVerifyRow, request, sizeof request, answer, sizeof answer))) return E_FAIL;
    return answer[4] == expectedChecksum ? S_OK : E_FAIL;
}

ORVRESULT LBootloaderProtocol::ExitBootloader() {
    const std::uint8_t reserved = 0x00;
    std::uint8_t packet[MaxPacketSize];
    std::size_t size = BuildPacket(m_checksumKind, CmdExitBootloader, &reserved, 1, packet);
    return m_transport.WriteReport(packet, size);
}

ORVRESULT LBootloaderProtocol::SyncBootloader() {
    std::uint8_t packet[MaxPacketSize];
    const std::size_t size = BuildPacket(m_checksumKind, CmdSyncBootloader, nullptr, 0, packet);
    return m_transport.WriteReport(packet, size);
}

}  // namespace Varnet
