#pragma once
// The bootloader command protocol: small packets (start 0x01, code, length, data, checksum, end
// 0x17), one per HID report, and the six commands the updater uses.
#include "OrvFramework/ObjectBase/ResultCodes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace Varnet {

enum class ChecksumKind : int { Summing = 0, Crc16 = 1 };

// The image header's checksum-type byte chooses the packets' checksum: 1 is CRC-16, anything
// else (or a header without the byte, read as 0) the summing checksum.
constexpr ChecksumKind ChecksumKindFromImage(std::uint8_t checksumType) {
    return checksumType == 1 ? ChecksumKind::Crc16 : ChecksumKind::Summing;
}

inline constexpr std::uint8_t PacketStart = 0x01;
inline constexpr std::uint8_t PacketEnd = 0x17;
inline constexpr std::size_t PacketOverhead = 7;
inline constexpr std::size_t MaxPacketSize = 64;
// Row data that one Send Data carries; Program Row adds array and row number (3 bytes).
inline constexpr std::size_t SendDataChunkSize = 53;
inline constexpr std::size_t FlashArrayCount = 4;
inline constexpr std::uint8_t SupportedBootloaderMajor = 0x01;

enum BootloaderCommand : std::uint8_t {
    CmdGetFlashSize = 0x32,
    CmdSyncBootloader = 0x35,
    CmdSendData = 0x37,
    CmdEnterBootloader = 0x38,
    CmdProgramRow = 0x39,
    CmdVerifyRow = 0x3A,
    CmdExitBootloader = 0x3B,
};

// Summing: the 16-bit two's complement of the byte sum. CRC-16: the reflected CCITT polynomial
// from 0xFFFF, complemented and byte-swapped. A count of 0 gives 0 for both.
std::uint16_t ComputePacketChecksum(ChecksumKind kind, const std::uint8_t* bytes, std::size_t count);

// Writes the packet for `code` with `length` data bytes into `packet` (at least length + 7 bytes)
// and gives its size; 0 when it would not fit in one report.
std::size_t BuildPacket(ChecksumKind kind, std::uint8_t code, const std::uint8_t* data, std::size_t length,
                        std::uint8_t* packet);

// True when `packet` has the frame of an answer with status 0 and `dataLength` data bytes. The
// checksum is not examined: the hardware's answers are taken on their frame alone.
bool IsSuccessFrame(const std::uint8_t* packet, std::size_t dataLength);

// What carries packets to the device: one report out and, for commands with an answer, one in.
class IBootloaderTransport {
public:
    virtual ~IBootloaderTransport() = default;
    virtual Orv::ORVRESULT WriteReport(const std::uint8_t* command, std::size_t length) = 0;
    virtual Orv::ORVRESULT TransferReport(const std::uint8_t* command, std::size_t length, std::uint8_t* answer,
                                          std::size_t answerLength) = 0;
};

struct FlashRowRange {
    std::uint16_t firstRow = 0;
    std::uint16_t lastRow = 0;
    // A range of 0 to 0 is what "not asked yet" looks like, so it is asked again.
    bool IsEmpty() const { return firstRow == 0 && lastRow == 0; }
};

// What the device said to the last Enter Bootloader.
struct EnterBootloaderAnswer {
    bool answered = false;  // a well-framed answer arrived
    std::uint32_t siliconId = 0;
    std::uint8_t siliconRevision = 0;
    std::uint32_t bootloaderVersion = 0;  // three bytes: major, minor, sub
};

class LBootloaderProtocol {
public:
    explicit LBootloaderProtocol(IBootloaderTransport& transport) : m_transport(transport) {}

    void SetChecksumKind(ChecksumKind kind) { m_checksumKind = kind; }
    ChecksumKind GetChecksumKind() const { return m_checksumKind; }

    // Opens programming and checks that the chip and bootloader are the ones the image is for.
    // Forgets every cached flash range.
    Orv::ORVRESULT EnterBootloader(std::uint32_t siliconId, std::uint8_t siliconRevision,
                                   std::uint32_t& bootloaderVersion);
    Orv::ORVRESULT GetFlashSize(std::uint8_t arrayId, FlashRowRange& range);
    // Passes when the row lies in the array's range (asked once per array and Enter Bootloader).
    Orv::ORVRESULT CheckRowRange(std::uint8_t arrayId, std::uint16_t rowNumber);
    // Stages the row in 53-byte Send Data commands and writes it with a final Program Row.
    Orv::ORVRESULT ProgramFlashRow(std::uint8_t arrayId, std::uint16_t rowNumber, const std::uint8_t* data,
                                   std::size_t length);
    // Fails when the device's checksum of the row differs from the expected one.
    Orv::ORVRESULT VerifyRow(std::uint8_t arrayId, std::uint16_t rowNumber, std::uint8_t expectedChecksum);
    // Sent without waiting for an answer: the device restarts at once.
    Orv::ORVRESULT ExitBootloader();
    // Resets the bootloader's command state, dropping row data staged by an earlier, interrupted
    // session (Enter Bootloader keeps it). Not answered.
    Orv::ORVRESULT SyncBootloader();

    const std::array<FlashRowRange, FlashArrayCount>& GetFlashRowRanges() const { return m_ranges; }
    const EnterBootloaderAnswer& GetEnterBootloaderAnswer() const { return m_enterAnswer; }

private:
    Orv::ORVRESULT Transfer(std::uint8_t code, const std::uint8_t* data, std::size_t length, std::uint8_t* answer,
                            std::size_t answerLength);

    IBootloaderTransport& m_transport;
    ChecksumKind m_checksumKind = ChecksumKind::Summing;
    std::array<FlashRowRange, FlashArrayCount> m_ranges{};
    EnterBootloaderAnswer m_enterAnswer;
};

}  // namespace Varnet
