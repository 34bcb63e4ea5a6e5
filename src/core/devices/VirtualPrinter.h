#pragma once

#include "core/devices/EscPosReceiptParser.h"
#include "core/devices/InProcessDevice.h"
#include "core/devices/PrinterState.h"
#include "core/devices/ReceiptFolder.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qx44 {

// An ESC/POS receipt printer for testing a host's printing: it answers the status query with
// the status of its state, turns what it is sent into receipts as text and keeps them, oldest
// first, until they are taken; with a folder it also saves each receipt there.
class VirtualPrinter : public InProcessDevice, private EscPosReceiptParser::IEvents {
public:
    // Receipts kept at most, in bytes; the oldest go first.
    static constexpr std::size_t kMaxKeptBytes = 4 << 20;

    struct Report {
        PrinterState state = PrinterState::Ready;
        std::vector<std::string> receipts;
        std::string current;
        std::uint64_t dropped = 0;
    };

    // An empty folder saves nothing.
    explicit VirtualPrinter(std::string_view receiptFolder = {},
                            ReceiptFolder::Bound folderBound = {});

    SerialPortKind Kind() const override { return SerialPortKind::Printer; }

    void SetState(PrinterState state);
    // The state, the receipts kept, the one being printed and how many were dropped for room;
    // `take` hands the kept receipts over and forgets them.
    Report Look(bool take);

private:
    void Written(std::span<const std::uint8_t> bytes) override { parser_.Feed(bytes); }
    void StatusRequested() override;
    void ReceiptCut(std::string text) override;

    PrinterState state_ = PrinterState::Ready;
    EscPosReceiptParser parser_{*this};
    std::deque<std::string> receipts_;
    std::size_t keptBytes_ = 0;
    std::uint64_t dropped_ = 0;
    std::optional<ReceiptFolder> folder_;
};

} // namespace qx44
