#include "core/screen/StationInfoScreen.h"

#include "core/common/ProductStrings.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/StatusIndicators.h"
#include "core/settings/CNetCard.h"
#include "core/settings/CQX44Setting.h"
#include "core/text/CUnicodeConverter.h"

namespace qx44 {

static_assert(StationInfoScreen::kNotice.size() <= CVantorBar::kColumns,
              "the notice must fit on the status line");

StationInfoScreen::StationInfoScreen(CConsoleWin& textScreen, CVantorBar& statusLine)
    : textScreen_(textScreen), statusLine_(statusLine) {}

StationInfoScreen::StationInfoScreen(CConsoleWin& textScreen, CVantorBar& statusLine,
                                     const INetAdapterSource& adapters)
    : textScreen_(textScreen), statusLine_(statusLine), adapters_(&adapters) {}

std::optional<int> StationInfoScreen::ShowStationInfo(std::string_view host) {
    const int noticeColumn = (CVantorBar::kColumns - static_cast<int>(kNotice.size())) / 2;
    statusLine_.PutString(noticeColumn, 0, kNotice, kNoticeAttribute);

    textScreen_.DrawBox(kBoxColumn, kBoxRow, kBoxWidth, kBoxHeight, kBoxAttribute);

    const CQX44Setting settings;
    const std::string macAddress = CNetCard(Adapters()).GetMainAddressText();
    int row = kFirstTextRow;
    PutRow(row++, std::string(ProductStrings::kProductName) + " " + settings.GetDevName());
    PutRow(row++, ProductStrings::kProgramDate);
    PutRow(row++, ProductStrings::kProgramVersion);
    PutRow(row++, "Station number: " + std::to_string(settings.GetAddress()));
    PutRow(row++, "Station name: " + CQX44Setting::GetStationName());
    PutRow(row++, "TCP port: " + std::to_string(tcpPort_.value_or(settings.GetPortNum())));

    std::optional<int> networkState;
    if (host.empty()) {
        const bool connected = Adapters().IsNetworkAlive() && !macAddress.empty();
        PutRow(kNetworkRow, connected ? kConnected : kDisconnected);
        networkState = connected ? StatusIndicators::kNetworkIdle : StatusIndicators::kNoNetwork;
    } else {
        PutRow(kNetworkRow, std::string(kHostPrefix) + std::string(host));
    }
    PutRow(kNetworkRow + 1, "MacAddress: " + macAddress);

    textScreen_.InvalidateAll();
    statusLine_.InvalidateAll();
    return networkState;
}

const INetAdapterSource& StationInfoScreen::Adapters() const {
    return adapters_ != nullptr ? *adapters_ : CNetCard::AdapterSource();
}

// Settings and the host name are UTF-8 on this system, as the screen's own text is.
void StationInfoScreen::PutRow(int row, std::string_view text) {
    textScreen_.PutString(kTextColumn, row, CUnicodeConverter::Utf8ToWide(text),
                          CConsoleWin::kKeepAttribute);
}

} // namespace qx44
