#include "core/settings/CNetCard.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>

namespace qx44 {

namespace {

std::atomic<const INetAdapterSource*>& RegisteredSource() {
    static std::atomic<const INetAdapterSource*> source{nullptr};
    return source;
}

bool HasHardwareAddress(const NetAdapterEntry& entry) {
    return std::ranges::any_of(entry.hardwareAddress, [](std::uint8_t byte) { return byte != 0; });
}

int MainAdapter(const std::vector<NetAdapterEntry>& entries) {
    auto found = std::ranges::find_if(entries, [](const NetAdapterEntry& entry) {
        return entry.up && HasHardwareAddress(entry);
    });
    if (found == entries.end()) {
        found = std::ranges::find_if(entries, HasHardwareAddress);
    }
    return found == entries.end() ? 0 : static_cast<int>(found - entries.begin());
}

std::string OrNotAvailable(const std::optional<std::string>& value) {
    return value ? *value : std::string(CNetCard::kNotAvailable);
}

} // namespace

CNetCard::CNetCard() : CNetCard(AdapterSource()) {}

CNetCard::CNetCard(const INetAdapterSource& source) : status_(kStatusSuccess) {
    std::vector<NetAdapterEntry> entries;
    switch (source.ListAdapters(entries)) {
    case INetAdapterSource::Outcome::NotSupported:
        status_ = kStatusNotSupported;
        return;
    case INetAdapterSource::Outcome::Failed:
        status_ = kStatusFailed;
        return;
    case INetAdapterSource::Outcome::Listed:
        break;
    }
    if (entries.empty()) {
        status_ = kStatusNoAdapter;
        return;
    }
    mainAdapter_ = MainAdapter(entries);
    adapters_.reserve(entries.size());
    for (const NetAdapterEntry& entry : entries) {
        adapters_.push_back(MakeInfo(entry));
    }
}

void CNetCard::SetAdapterSource(const INetAdapterSource* source) {
    RegisteredSource().store(source);
}

const INetAdapterSource& CNetCard::AdapterSource() {
    static const INetAdapterSource none;
    const INetAdapterSource* source = RegisteredSource().load();
    return source != nullptr ? *source : none;
}

int CNetCard::GetAdapterCount() const {
    return static_cast<int>(adapters_.size());
}

std::string CNetCard::GetAddressText(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= adapters_.size()) {
        return {};
    }
    return adapters_[static_cast<std::size_t>(index)].address;
}

std::string CNetCard::FormatAddress(std::span<const std::uint8_t> hardwareAddress) {
    std::array<std::uint8_t, 6> bytes{};
    std::copy_n(hardwareAddress.begin(), std::min(hardwareAddress.size(), bytes.size()),
                bytes.begin());
    char text[14];
    std::snprintf(text, sizeof text, "%02X%02X%02X-%02X%02X%02X", bytes[0], bytes[1], bytes[2],
                  bytes[3], bytes[4], bytes[5]);
    return text;
}

CNetCardInfo CNetCard::MakeInfo(const NetAdapterEntry& entry) {
    CNetCardInfo info;
    info.address = FormatAddress(entry.hardwareAddress);
    info.description = entry.description;
    info.type = std::to_string(entry.type);
    if (entry.ipAddresses.empty()) {
        info.mask = kNotAvailable;
        info.addresses = kNotAvailable;
    } else {
        info.mask = entry.ipAddresses.front().mask;
        info.addresses = entry.ipAddresses.front().address;
        for (std::size_t i = 1; i < entry.ipAddresses.size(); ++i) {
            info.addresses += "\r\n" + entry.ipAddresses[i].address;
        }
    }
    info.gateway = OrNotAvailable(entry.gateway);
    info.winsServer = OrNotAvailable(entry.winsServer);
    info.dhcpServer = OrNotAvailable(entry.dhcpServer);
    return info;
}

} // namespace qx44
