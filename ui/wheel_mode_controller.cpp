// The wheel mode controller: every change the user makes is applied at once
// for this session, and only when the system does not hold the wanted value
// already; the radio buttons, the line list, the menu marks and the tray
// icon follow the mode.
#include "ui/main_form.h"

namespace tovel {
namespace {

constexpr int kPageModeImage = 1;
constexpr int kLineModeImage = 2;

// Shows the hourglass for as long as a setting is being written.
class BusyCursor {
  public:
    explicit BusyCursor(TApplication& application) : FApplication(application) {
        FApplication.SetCursor(TCursor::crHourGlass);
    }
    ~BusyCursor() { FApplication.SetCursor(TCursor::crDefault); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    TApplication& FApplication;
};

}  // namespace

std::int32_t TmainForm::LineCount() const {
    const int index = ComboBoxLine->ItemIndex();
    return index >= 0 ? index + 1 : FUnlistedLineCount;
}

std::int32_t TmainForm::PointerSpeed() const {
    return ComboBoxSpeed->ItemIndex() + 1;
}

std::int32_t TmainForm::WantedWheelRouting() const {
    return CHKNoActive->Checked() ? kRoutingMousePos : kRoutingFocus;
}

bool TmainForm::RoutingOffered() const {
    return GroupBoxNoActive->Enabled();
}

void TmainForm::ApplyWheelMode() {
    const std::int32_t current = FServices.PointerSettings.GetWheelScrollLines();
    const bool pageMode = MMode == 0;

    BtnPage->SetChecked(pageMode);
    BtnLine->SetChecked(!pageMode);
    ComboBoxLine->SetEnabled(!pageMode);
    PPPage->SetChecked(pageMode);
    PPLine->SetChecked(!pageMode);
    TrayIcon->SetIconIndex(pageMode ? kPageModeImage : kLineModeImage);
    TrayIcon->SetHint(pageMode ? PPPage->Caption() : PPLine->Caption());

    const std::int32_t wanted = pageMode ? kWheelPageScroll : LineCount();
    if (wanted != current) {
        BusyCursor busy(*Application());
        FServices.PointerSettings.SetWheelScrollLines(wanted, UpdateScope::SessionOnly);
    }
}

void TmainForm::ApplyPointerSpeed() {
    const std::int32_t wanted = PointerSpeed();
    BusyCursor busy(*Application());
    if (FServices.PointerSettings.GetMouseSpeed() != wanted) {
        FServices.PointerSettings.SetMouseSpeed(wanted, UpdateScope::SessionOnly);
    }
}

void TmainForm::ApplyWheelRouting() {
    const std::int32_t current = FServices.PointerSettings.GetWheelRouting();
    // The hybrid routing (1) counts as "focus": only 2 means "under the pointer".
    const bool systemUnderPointer = current == kRoutingMousePos;
    if (CHKNoActive->Checked() == systemUnderPointer) {
        return;
    }
    BusyCursor busy(*Application());
    FServices.PointerSettings.SetWheelRouting(WantedWheelRouting(), UpdateScope::SessionOnly);
}

void TmainForm::BtnPageClick(TObject* /*Sender*/) {
    MMode = 0;
    ApplyWheelMode();
}

void TmainForm::BtnLineClick(TObject* /*Sender*/) {
    MMode = 1;
    ApplyWheelMode();
}

void TmainForm::ComboBoxLineChange(TObject* /*Sender*/) {
    MMode = 1;
    ApplyWheelMode();
}

void TmainForm::ComboBoxSpeedChange(TObject* /*Sender*/) {
    ApplyPointerSpeed();
}

void TmainForm::CHKNoActiveClick(TObject* /*Sender*/) {
    if (RoutingOffered()) {
        ApplyWheelRouting();
    }
    PPNoActive->SetChecked(CHKNoActive->Checked());
}

void TmainForm::PPPageClick(TObject* /*Sender*/) {
    MMode = 0;
    ApplyWheelMode();
}

void TmainForm::PPLineClick(TObject* /*Sender*/) {
    MMode = 1;
    ApplyWheelMode();
}

void TmainForm::PPNoActiveClick(TObject* /*Sender*/) {
    CHKNoActive->SetChecked(PPNoActive->Checked());
}

void TmainForm::TrayIconDblClick(TObject* /*Sender*/) {
    MMode = MMode == 0 ? 1 : 0;
    ApplyWheelMode();
}

void TmainForm::TBSystemClick(TObject* /*Sender*/) {
    // Written as they are, without reading or comparing: this is the user's
    // request to make the three settings the profile's own.
    BusyCursor busy(*Application());
    FServices.PointerSettings.SetWheelScrollLines(MMode == 0 ? kWheelPageScroll : LineCount(),
                                                  UpdateScope::Persistent);
    FServices.PointerSettings.SetMouseSpeed(PointerSpeed(), UpdateScope::Persistent);
    if (RoutingOffered()) {
        FServices.PointerSettings.SetWheelRouting(WantedWheelRouting(), UpdateScope::Persistent);
    }
}

}  // namespace tovel
