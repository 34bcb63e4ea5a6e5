#include "core/devices/VirtualPrinter.h"

namespace qx44 {

VirtualPrinter::VirtualPrinter(std::string_view receiptFolder, ReceiptFolder::Bound folderBound) {
    if (!receiptFolder.empty()) {
        folder_.emplace(receiptFolder, folderBound);
    }
}

void VirtualPrinter::SetState(PrinterState state) {
    std::lock_guard lock(mutex_);
    state_ = state;
}

VirtualPrinter::Report VirtualPrinter::Look(bool take) {
    std::lock_guard lock(mutex_);
    Report report{state_, {receipts_.begin(), receipts_.end()}, parser_.Current(), dropped_};
    if (take) {
        receipts_.clear();
        keptBytes_ = 0;
    }
    return report;
}

void VirtualPrinter::StatusRequested() {
    SendLocked(PrinterStatusBlock(state_));
}

void VirtualPrinter::ReceiptCut(std::string text) {
    if (folder_) {
        folder_->Save(text);
    }
    if (events_ != nullptr) {
        events_->ReceiptPrinted(port_, text);
    }
    keptBytes_ += text.size();
    receipts_.push_back(std::move(text));
    while (keptBytes_ > kMaxKeptBytes && receipts_.size() > 1) {
        keptBytes_ -= receipts_.front().size();
        receipts_.pop_front();
        ++dropped_;
    }
}

} // namespace qx44
