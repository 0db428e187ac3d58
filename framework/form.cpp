#include "framework/form.h"

#include "framework/application.h"
#include "framework/focus.h"
#include "framework/layout.h"

namespace tovel {

TForm::TForm(TApplication& application, TComponent* AOwner)
    : TWinControl(AOwner), FApplication(application) {
    // A form is made invisible; the application shows it when it should.
    SetVisible(false);
}

TForm::~TForm() {
    // Components such as the tray icon reach back into the form while they
    // go, so they go while the form is still whole.
    DestroyComponents();
    FApplication.FormDestroyed(*this);
}

void TForm::AfterConstruction() {
    // Scaling and docking wait for the window (CreateHandle): a form that is
    // never shown, as in the one-shot runs, measures no text and asks no
    // monitor for its DPI.
    FLoading = false;
    LoadComponents();
    if (OnCreate) {
        FApplication.HandleEvent([this] { OnCreate(this); });
    }
}

void TForm::Show() {
    SetVisible(true);
}

void TForm::Hide() {
    SetVisible(false);
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) {
        OnCloseQuery(this, canClose);
    }
    return canClose;
}

void TForm::Close() {
    if (!CloseQuery()) {
        return;
    }
    if (FApplication.MainForm() == this) {
        FApplication.Terminate();
    } else {
        Hide();
    }
}

void TForm::SetWindowState(TWindowState value) {
    if (FWindowState != value) {
        FWindowState = value;
        Changed(TPeerAspect::WindowState);
    }
}

const TFont& TForm::Font() const {
    if (FMenuFacePending) {
        FMenuFacePending = false;
        FFont.Name = FApplication.ScreenMetrics().MenuFontName();
    }
    return FFont;
}

void TForm::UseMenuFontFace() {
    if (HandleAllocated()) {
        TFont font = Font();
        font.Name = FApplication.ScreenMetrics().MenuFontName();
        SetFont(font);
        return;
    }
    // The window and the layout (made together) read the font first.
    FMenuFacePending = true;
}

void TForm::SetFont(const TFont& value) {
    FMenuFacePending = false;
    if (!(FFont == value)) {
        FFont = value;
        Changed(TPeerAspect::Font);
        Realign();
    }
}

void TForm::SetClientSize(int width, int height) {
    if (FClientWidth != width || FClientHeight != height) {
        FClientWidth = width;
        FClientHeight = height;
        Changed(TPeerAspect::Bounds);
        Realign();
    }
}

void TForm::ChangeDpi(int newDpi, bool scaleClientSize) {
    const int oldDpi = FPixelsPerInch;
    FPixelsPerInch = newDpi;
    for (TControl* control : Controls()) {
        control->ChangeScale(newDpi, oldDpi);
    }
    TFont font = FFont;
    font.Height = MulDivRound(font.Height, newDpi, oldDpi);
    FFont = font;
    Changed(TPeerAspect::Font);
    if (scaleClientSize) {
        FClientWidth = MulDivRound(FClientWidth, newDpi, oldDpi);
        FClientHeight = MulDivRound(FClientHeight, newDpi, oldDpi);
        Changed(TPeerAspect::Bounds);
    }
    Realign();
}

void TForm::DpiChanged(int newDpi, const TRect& suggested) {
    if (newDpi > 0 && newDpi != FPixelsPerInch) {
        ChangeDpi(newDpi, false);
    }
    SetBoundsRect(suggested);
}

void TForm::ClientResized(int width, int height) {
    if (FClientWidth != width || FClientHeight != height) {
        FClientWidth = width;
        FClientHeight = height;
        Realign();
    }
}

void TForm::Realign() {
    // Without a window the docking is done when the window is made.
    if (!FLoading && HandleAllocated()) {
        AlignControls();
    }
}

void TForm::CreateHandle() {
    if (!FScaled) {
        // Scaled to the monitor it will appear on before its window and its
        // controls' windows take their lengths.
        FScaled = true;
        const int dpi = FApplication.ScreenMetrics().MonitorDpi(BoundsRect());
        if (dpi > 0 && dpi != FPixelsPerInch) {
            ChangeDpi(dpi, true);
        }
    }
    AlignControls();
    TWinControl::CreateHandle();
}

TRect TForm::ChildArea() const {
    return TRect{0, 0, FClientWidth, FClientHeight};
}

void TForm::Changed(TPeerAspect aspect) {
    if (aspect == TPeerAspect::Visible && Visible()) {
        HandleNeeded();
        if (!FShownBefore && FPosition == TPosition::poScreenCenter) {
            // Centred in the work area the first time only; later showings
            // keep the place the window had.
            const TPoint place =
                CentreInWorkArea(FApplication.ScreenMetrics().WorkArea(), Width(), Height());
            SetBounds(place.X, place.Y, Width(), Height());
        }
        FShownBefore = true;
    }
    TWinControl::Changed(aspect);
    if (aspect == TPeerAspect::Visible) {
        FApplication.FormVisibilityChanged();
    }
}

void TForm::Activated(TMessage& message) {
    TWindowing& windowing = FApplication.Windowing();
    if ((message.WParam & 0xFFFF) == kActivateInactive) {
        // The focus is still on the control while the form hears it loses
        // the activation.
        const THandle focus = windowing.FocusedWindow();
        if (ControlOfWindow(*this, focus) != nullptr) {
            FLastFocus = focus;
        }
        TWinControl::WndProc(message);
        return;
    }
    // The system's own handling gives the focus to the form's window itself,
    // where no key does anything.
    TWinControl::WndProc(message);
    if (!ActivatedOpen(message.WParam) ||
        ControlOfWindow(*this, windowing.FocusedWindow()) != nullptr) {
        return;
    }
    TWinControl* target = ControlOfWindow(*this, FLastFocus);
    if (target == nullptr || !CanFocus(*target)) {
        target = FirstFocusControl(*this);
    }
    if (target != nullptr && target->Handle() != 0) {
        target->Peer()->SetFocus();
    }
}

void TForm::WndProc(TMessage& message) {
    switch (message.Msg) {
        case msg::kActivate:
            Activated(message);
            return;
        case msg::kClose:
            Close();
            return;
        case msg::kQueryEndSession: {
            // The session may end once the close query agrees.
            FQueryingEndSession = true;
            struct Reset {
                bool& flag;
                ~Reset() { flag = false; }
            } reset{FQueryingEndSession};
            message.Result = CloseQuery() ? 1 : 0;
            return;
        }
        case msg::kEndSession:
            if (message.WParam != 0) {
                FApplication.Terminate();
            }
            return;
        case msg::kSysCommand:
            // With the taskbar button on the application window, minimising
            // the main form is the application's business.
            if ((message.WParam & kSysCommandMask) == kSysCmdMinimize &&
                FApplication.MainForm() == this && !FApplication.MainFormOnTaskBar()) {
                FApplication.Minimize();
                return;
            }
            break;
        default:
            break;
    }
    TWinControl::WndProc(message);
}

}  // namespace tovel
