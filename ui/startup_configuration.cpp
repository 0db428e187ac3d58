// Start-up: the window is made to show the system's current settings, the
// wheel setting is brought in line with it once, and the command line picks
// one of the four ways of running.
#include "framework/exception.h"
#include "framework/text.h"
#include "settings/command_line.h"
#include "ui/main_form.h"

namespace tovel {
namespace {

constexpr int kSpeedEntries = 20;
constexpr int kLineEntries = 100;
constexpr char16_t kCommandLineError[] = u"コマンドラインオプションに誤りがあります。終了します。";

bool IsListedLineIndex(std::int32_t index) {
    return index >= 0 && index < kLineEntries;
}

}  // namespace

SettingsFile TmainForm::LineCountFile() const {
    return SettingsFile(FServices.Files, FServices.Codec, FServices.Messages,
                        FServices.DataFolder.UserDataDir());
}

int TmainForm::SavedLineIndex() {
    std::int32_t index = SettingsFile::kDefaultLineIndex;
    try {
        index = LineCountFile().ReadLineIndex();
    } catch (const std::exception& failure) {
        // Said once; then the start goes on as if there were no file, rather
        // than leaving a process with no window, no icon and no way to end.
        Application()->ShowException(failure);
    }
    // An index the list does not have would leave line mode with no count
    // and make the next switch write 0 lines: take the default instead.
    return IsListedLineIndex(index) ? index : SettingsFile::kDefaultLineIndex;
}

void TmainForm::FormCreate(TObject* /*Sender*/) {
    GroupBoxNoActive->SetEnabled(FServices.DataFolder.IsWindows10());
    PPNoActive->SetEnabled(GroupBoxNoActive->Enabled());

    UseMenuFontFace();

    Application()->SetShowMainForm(false);
    TrayIcon->SetIconVisible(false);

    for (int speed = 1; speed <= kSpeedEntries; ++speed) {
        ComboBoxSpeed->AddItem(IntToStr(speed));
    }
    ComboBoxSpeed->SetItemIndex(FServices.PointerSettings.GetMouseSpeed() - 1);

    for (int lines = 1; lines <= kLineEntries; ++lines) {
        ComboBoxLine->AddItem(IntToStr(lines));
    }
    const std::int32_t wheelLines = FServices.PointerSettings.GetWheelScrollLines();
    if (wheelLines == kWheelPageScroll) {
        MMode = 0;
        ComboBoxLine->SetItemIndex(SavedLineIndex());
    } else {
        MMode = 1;
        ComboBoxLine->SetItemIndex(wheelLines - 1);
        if (ComboBoxLine->ItemIndex() < 0) {
            FUnlistedLineCount = wheelLines;
        }
    }

    ApplyWheelMode();

    if (GroupBoxNoActive->Enabled()) {
        const std::int32_t routing = FServices.PointerSettings.GetWheelRouting();
        CHKNoActive->SetChecked(routing == kRoutingMousePos);
        PPNoActive->SetChecked(CHKNoActive->Checked());
    }

    const StartChoice choice = ChooseStartMode(CommandLineArguments(FServices.CommandLine));
    switch (choice.mode) {
        case StartMode::ToggleWheel:
            MMode = MMode == 0 ? 1 : 0;
            ApplyWheelMode();
            Timer->SetEnabled(true);
            break;
        case StartMode::Resident:
            TrayIcon->SetIconVisible(true);
            break;
        case StartMode::Window:
            Application()->SetShowMainForm(true);
            break;
        case StartMode::SetSpeed:
            ComboBoxSpeed->SetItemIndex(choice.speed - 1);
            ApplyPointerSpeed();
            Timer->SetEnabled(true);
            break;
        case StartMode::Invalid:
            Application()->ModalUi().ShowMessageBox(Application()->MessageBoxOwner(),
                                                    kCommandLineError, Application()->Title(),
                                                    TMessageBoxStyle::Error);
            Timer->SetEnabled(true);
            break;
    }
}

void TmainForm::TimerTimer(TObject* /*Sender*/) {
    try {
        Close();
    } catch (const std::exception& failure) {
        // Nobody is there to retry for: say it once and end, rather than a
        // new box every second.
        Timer->SetEnabled(false);
        Application()->ShowException(failure);
        Application()->Terminate();
    }
}

void TmainForm::FormCloseQuery(TObject* /*Sender*/, bool& /*CanClose*/) {
    try {
        LineCountFile().SaveLineIndex(ComboBoxLine->ItemIndex());
        FSaveFailed = false;
    } catch (const std::exception& failure) {
        if (QueryingEndSession()) {
            // The session ends whatever happens here; a box would only hold
            // the logoff up.
            return;
        }
        if (FSaveFailed) {
            // Told once already: this time the close goes ahead after the
            // report, so nobody is kept in a program they cannot quit.
            Application()->ShowException(failure);
            return;
        }
        FSaveFailed = true;
        throw;
    }
}

}  // namespace tovel
