#include "ui/app/CSettingDlg.h"

#include "core/settings/CQX44Setting.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace qx44 {

namespace {

// The player's actions as the page lists them, with the key each row sets.
struct VideoKeyRow {
    const char* label;
    std::uint32_t CVideoKeys::*member;
};
constexpr std::array<VideoKeyRow, 10> kVideoKeyRows = {{
    {"Stop:", &CVideoKeys::stop},
    {"Play / Pause:", &CVideoKeys::playPause},
    {"Fast Reverse:", &CVideoKeys::backward},
    {"Fast Forward:", &CVideoKeys::forward},
    {"Prev clip:", &CVideoKeys::prevClip},
    {"Next clip:", &CVideoKeys::nextClip},
    {"Zoom In:", &CVideoKeys::zoomIn},
    {"Zoom Out:", &CVideoKeys::zoomOut},
    {"Volume -:", &CVideoKeys::volumeDown},
    {"Volume +:", &CVideoKeys::volumeUp},
}};

void Fill(QComboBox& list, const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        list.addItem(QString::fromStdString(entry));
    }
}

void Fill(QComboBox& list, std::initializer_list<const char*> entries) {
    for (const char* entry : entries) {
        list.addItem(entry);
    }
}

void AddRow(QGridLayout& grid, const char* label, QWidget& field) {
    const int row = grid.rowCount();
    grid.addWidget(new QLabel(label), row, 0);
    grid.addWidget(&field, row, 1);
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CSettingDlg::CSettingDlg(QWidget* parent) : CSettingDlg(ownMessages_, parent) {}

CSettingDlg::CSettingDlg(IMessageBox& messages, QWidget* parent)
    : QDialog(parent), messages_(messages), loaded_(SetupValues::Load(CQX44Setting())) {
    setWindowTitle("QX4400 Setting");
    Build();
    Show(loaded_);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
    installEventFilter(this);
    port_.setFocus();
}

void CSettingDlg::Build() {
    // Names for those who find the fields from outside: tests and accessibility tools.
    for (auto [widget, name] : std::initializer_list<std::pair<QWidget*, const char*>>{
             {&port_, "port"},
             {&pitch_, "pitch"},
             {&weight_, "weight"},
             {&marginHeight_.Edit(), "marginHeight"},
             {&usbPort_, "usbPort"},
             {&videoKeys1_[0], "stopKey"},
             {&slideSeconds_, "slideSeconds"},
             {&autoSlide_, "autoSlide"}}) {
        widget->setObjectName(name);
    }
    // Fields are made in the order the focus moves through them, the port first.
    auto* main = new QGroupBox("Main");
    auto* mainGrid = new QGridLayout(main);
    AddRow(*mainGrid, "IP Port Number:", port_);
    mainGrid->addWidget(&beeping_, mainGrid->rowCount(), 1);
    AddRow(*mainGrid, "Station address:", address_);
    mainGrid->addWidget(&statusLine_, mainGrid->rowCount(), 1);
    Fill(pitch_, SetupValues::PitchEntries());
    AddRow(*mainGrid, "Beeper pitch:", pitch_);
    AddRow(*mainGrid, "Device Name:", deviceName_);

    auto* font = new QGroupBox("Font");
    auto* fontGrid = new QGridLayout(font);
    AddRow(*fontGrid, "Name:", fontName_);
    Fill(weight_, SetupValues::WeightEntries());
    AddRow(*fontGrid, "Weight:", weight_);
    AddRow(*fontGrid, "Height Margin:", marginHeight_);
    AddRow(*fontGrid, "Width Margin:", marginWidth_);

    auto* local = new QGroupBox("Local build card/training");
    auto* localGrid = new QGridLayout(local);
    localGrid->addWidget(&localEnable_, 0, 0, 1, 3);
    localGrid->addWidget(new QLabel("Local build card/training folder:"), 1, 0);
    localGrid->addWidget(&folder_, 1, 1);
    localGrid->addWidget(&chooseFolder_, 1, 2);
    connect(&chooseFolder_, &QPushButton::clicked, this, &CSettingDlg::ChooseFolder);
    for (int set = 0; set < 2; ++set) {
        localGrid->addWidget(new QLabel(set == 0 ? "Key Set #1" : "Key set #2"), 2 + set, 0);
        for (int k = 0; k < 2; ++k) {
            QComboBox& list = localKeys_[static_cast<std::size_t>(2 * set + k)];
            Fill(list, SetupValues::KeyEntries());
            localGrid->addWidget(&list, 2 + set, 1 + k);
        }
    }
    localGrid->addWidget(&autoSlide_, 4, 0);
    auto* wait = new QWidget;
    auto* waitRow = new QHBoxLayout(wait);
    waitRow->setContentsMargins(0, 0, 0, 0);
    waitRow->addWidget(new QLabel("Waiting"));
    waitRow->addWidget(&slideSeconds_);
    waitRow->addWidget(new QLabel("Secs"));
    localGrid->addWidget(wait, 4, 1, 1, 2);
    connect(&autoSlide_, &QCheckBox::toggled, &slideSeconds_, &QWidget::setEnabled);

    auto* video = new QGroupBox("Video Keys");
    auto* videoGrid = new QGridLayout(video);
    videoGrid->addWidget(&disableVideo_, 0, 0, 1, 3);
    for (std::size_t i = 0; i < kVideoKeyRows.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        videoGrid->addWidget(new QLabel(kVideoKeyRows[i].label), row, 0);
        for (auto* list : {&videoKeys1_[i], &videoKeys2_[i]}) {
            Fill(*list, SetupValues::KeyEntries());
        }
        videoGrid->addWidget(&videoKeys1_[i], row, 1);
        videoGrid->addWidget(&videoKeys2_[i], row, 2);
    }

    std::array<QGroupBox*, 2> serialBoxes{};
    for (std::size_t port = 0; port < 2; ++port) {
        SerialFields& fields = serial_[port];
        serialBoxes[port] = new QGroupBox(port == 0 ? "COM1 Setting" : "COM2 Setting");
        auto* grid = new QGridLayout(serialBoxes[port]);
        Fill(fields.baud, {"19200", "9600", "4800", "2400"});
        Fill(fields.parity, {"NONE", "ODD", "EVEN"});
        Fill(fields.bits, {"8", "7"});
        Fill(fields.flow, {"None", "Hardware"});
        AddRow(*grid, "Baud Rate:", fields.baud);
        AddRow(*grid, "Parity check:", fields.parity);
        AddRow(*grid, "Bit number:", fields.bits);
        AddRow(*grid, "Flow control:", fields.flow);
    }

    auto* usb = new QGroupBox("USB Printer");
    auto* usbGrid = new QGridLayout(usb);
    usbGrid->addWidget(&usbEnabled_, 0, 0, 1, 2);
    Fill(usbPort_, SetupValues::UsbEntries());
    AddRow(*usbGrid, "USB Port Map To:", usbPort_);

    ok_.setDefault(true);
    connect(&ok_, &QPushButton::clicked, this, &CSettingDlg::Save);
    connect(&cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* middle = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    for (QGroupBox* box : {main, font, local}) {
        left->addWidget(box);
    }
    middle->addWidget(video);
    for (QGroupBox* box : {serialBoxes[0], serialBoxes[1], usb}) {
        right->addWidget(box);
    }
    right->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(&ok_);
    buttons->addWidget(&cancel_);
    right->addLayout(buttons);
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right);
    setLayout(columns);
}

void CSettingDlg::Show(const SetupValues& v) {
    port_.setText(QString::number(v.port));
    beeping_.setChecked(v.beeping);
    address_.setText(QString::number(v.address));
    statusLine_.setChecked(v.statusLine);
    pitch_.setCurrentIndex(v.pitchPosition);
    deviceName_.setText(Text(v.deviceName));

    std::vector<std::string> fonts;
    for (int i = 0; i < fontName_.count(); ++i) {
        fonts.push_back(fontName_.itemText(i).toStdString());
    }
    fontName_.setCurrentIndex(SetupValues::FontPosition(fonts, v.fontName));
    weight_.setCurrentIndex(v.weightPosition);
    marginHeight_.Edit().setText(QString::number(v.marginHeight));
    marginWidth_.Edit().setText(QString::number(v.marginWidth));

    localEnable_.setChecked(v.localEnable);
    folder_.setText(Text(v.folder));
    for (std::size_t i = 0; i < localKeys_.size(); ++i) {
        localKeys_[i].setCurrentIndex(SetupValues::KeyPosition(v.localKeys[i]));
    }
    autoSlide_.setChecked(v.autoSlide);
    slideSeconds_.setText(QString::number(v.slideSeconds));
    slideSeconds_.setEnabled(v.autoSlide);

    disableVideo_.setChecked(v.disableVideo);
    for (std::size_t i = 0; i < kVideoKeyRows.size(); ++i) {
        videoKeys1_[i].setCurrentIndex(
            SetupValues::KeyPosition(v.videoKeys1.*kVideoKeyRows[i].member));
        videoKeys2_[i].setCurrentIndex(
            SetupValues::KeyPosition(v.videoKeys2.*kVideoKeyRows[i].member));
    }
    for (std::size_t port = 0; port < 2; ++port) {
        serial_[port].baud.setCurrentIndex(v.serial[port].baudPosition);
        serial_[port].parity.setCurrentIndex(v.serial[port].parity);
        serial_[port].bits.setCurrentIndex(v.serial[port].bitsPosition);
        serial_[port].flow.setCurrentIndex(v.serial[port].flow);
    }
    usbEnabled_.setChecked(v.usbEnabled);
    usbPort_.setCurrentIndex(v.usbPosition);
}

std::optional<int> CSettingDlg::ReadInteger(QLineEdit& edit,
                                            std::optional<std::pair<int, int>> range) {
    bool isNumber = false;
    const int value = edit.text().trimmed().toInt(&isNumber);
    if (isNumber && (!range || (value >= range->first && value <= range->second))) {
        return value;
    }
    messages_.ShowNotice(
        range ? QString("Enter an integer between %1 and %2.").arg(range->first).arg(range->second)
              : QString("Enter an integer."));
    edit.setFocus();
    edit.selectAll();
    return std::nullopt;
}

std::optional<SetupValues> CSettingDlg::Collect() {
    SetupValues v = loaded_;
    // In focus order, so the first field that is wrong is the one the user is sent to.
    const std::pair margins{0, kMarginLimit};
    const struct {
        QLineEdit& edit;
        std::optional<std::pair<int, int>> range;
        int& value;
    } numbers[] = {
        {port_, {}, v.port},
        {address_, {}, v.address},
        {marginHeight_.Edit(), margins, v.marginHeight},
        {marginWidth_.Edit(), margins, v.marginWidth},
        {slideSeconds_, {}, v.slideSeconds},
    };
    for (const auto& number : numbers) {
        const auto value = ReadInteger(number.edit, number.range);
        if (!value) {
            return std::nullopt;
        }
        number.value = *value;
    }

    v.beeping = beeping_.isChecked();
    v.statusLine = statusLine_.isChecked();
    v.pitchPosition = pitch_.currentIndex();
    v.deviceName = deviceName_.text().toStdString();
    // A name no installed family begins with (such as an alias fontconfig resolves) is kept, so
    // confirming the page never loses the screen font.
    if (fontName_.currentIndex() >= 0) {
        v.fontName = fontName_.currentText().toStdString();
    }
    v.weightPosition = weight_.currentIndex();
    v.localEnable = localEnable_.isChecked();
    v.folder = folder_.text().toStdString();
    for (std::size_t i = 0; i < localKeys_.size(); ++i) {
        v.localKeys[i] = SetupValues::KeyCode(localKeys_[i].currentIndex());
    }
    v.autoSlide = autoSlide_.isChecked();
    v.disableVideo = disableVideo_.isChecked();
    for (std::size_t i = 0; i < kVideoKeyRows.size(); ++i) {
        v.videoKeys1.*kVideoKeyRows[i].member = SetupValues::KeyCode(videoKeys1_[i].currentIndex());
        v.videoKeys2.*kVideoKeyRows[i].member = SetupValues::KeyCode(videoKeys2_[i].currentIndex());
    }
    for (std::size_t port = 0; port < 2; ++port) {
        v.serial[port] = {serial_[port].baud.currentIndex(), serial_[port].parity.currentIndex(),
                          serial_[port].bits.currentIndex(), serial_[port].flow.currentIndex()};
    }
    v.usbEnabled = usbEnabled_.isChecked();
    v.usbPosition = usbPort_.currentIndex();
    return v;
}

void CSettingDlg::Save() {
    if (const auto values = Collect()) {
        CQX44Setting settings;
        values->Save(settings);
        accept();
    }
}

void CSettingDlg::ChooseFolder() {
    QString start = folder_.text();
    start.replace('\\', '/');
    const QString chosen = QFileDialog::getExistingDirectory(this, {}, start);
    if (!chosen.isEmpty()) {
        folder_.setText(chosen);
    }
}

bool CSettingDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool press = event->type() == QEvent::KeyPress;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (press) {
            Save();
        }
        return true;
    case Qt::Key_Control:
        if (press) {
            reject();
        }
        return false;
    case Qt::Key_Right:
        if (press) {
            focusNextChild();
        }
        return true;
    case Qt::Key_Left:
        if (press) {
            focusPreviousChild();
        }
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace qx44
