#pragma once

#include <string>

#include "framework/control.h"
#include "framework/events.h"

namespace tovel {

class TApplication;

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poScreenCenter };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };

enum TBorderIcon : unsigned {
    biSystemMenu = 1u << 0,
    biMinimize = 1u << 1,
    biMaximize = 1u << 2,
    biHelp = 1u << 3,
};
using TBorderIcons = unsigned;

// The system's default character set and the colour of window text, by
// their documented values.
inline constexpr unsigned kDefaultCharset = 1;
inline constexpr unsigned clWindowText = 0xFF000008;

// The window font: negative heights are character heights in pixels.
struct TFont {
    std::u16string Name = u"Tahoma";
    int Height = -11;
    unsigned Charset = kDefaultCharset;
    unsigned Color = clWindowText;
    unsigned Style = 0;
    friend bool operator==(const TFont&, const TFont&) = default;
};

// A top-level window of the program. Closing the main form ends the program;
// every close request goes through OnCloseQuery first.
class TForm : public TWinControl {
  public:
    TForm(TApplication& application, TComponent* AOwner);
    ~TForm() override;

    TApplication* Application() const override { return &FApplication; }
    TControlKind ControlKind() const override { return TControlKind::Form; }

    // Runs once every component of the form exists: their load steps, then
    // OnCreate. A failure in OnCreate is shown and creation goes on.
    void AfterConstruction();

    void Show();
    void Hide();
    // A close request: asks OnCloseQuery, then closes (the main form ends the
    // application).
    void Close();
    // Asks OnCloseQuery whether the form may close.
    virtual bool CloseQuery();
    // Set while the system asks whether the logon session may end.
    bool QueryingEndSession() const { return FQueryingEndSession; }

    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle value) { FFormStyle = value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value) { FBorderStyle = value; }
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value) { FBorderIcons = value; }
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }

    const TFont& Font() const;
    void SetFont(const TFont& value);
    // The font's face becomes the system's menu font face; height, character
    // set, colour and style stay. Asked of the system when the font is first
    // used, so a form never shown never asks.
    void UseMenuFontFace();

    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }
    void SetClientSize(int width, int height);

    // The DPI the form's lengths are given at now: 96 as designed, then the
    // monitor's.
    int PixelsPerInch() const { return FPixelsPerInch; }
    // Scales the controls, the font and the toolbar buttons from the current
    // DPI to the new one; at creation the client size follows, on a move to
    // another monitor the platform's suggested rectangle does instead.
    void ChangeDpi(int newDpi, bool scaleClientSize);
    // The system reports a new DPI for the window and the outer rectangle it
    // suggests for it.
    void DpiChanged(int newDpi, const TRect& suggested);

    // The system resized the window (a DPI change, say): the new client size.
    void ClientResized(int width, int height);

    // Docks the controls and lays out the group boxes with the current font;
    // a form without a window yet is laid out when the window is made.
    void Realign();
    TRect ChildArea() const override;

    TNotifyEvent OnCreate;
    TCloseQueryEvent OnCloseQuery;

    void WndProc(TMessage& message) override;

  protected:
    void Changed(TPeerAspect aspect) override;
    // Scales the form to its monitor (the first time) and docks its
    // controls, then makes the windows.
    void CreateHandle() override;

  private:
    // The form became active or lost the activation: the keyboard goes back
    // to the control that had it, or to the first tab stop.
    void Activated(TMessage& message);

    TApplication& FApplication;
    TWindowState FWindowState = TWindowState::wsNormal;
    TFormStyle FFormStyle = TFormStyle::fsNormal;
    TBorderStyle FBorderStyle = TBorderStyle::bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition FPosition = TPosition::poDesigned;
    // The face is filled in on first use while FMenuFacePending.
    mutable TFont FFont;
    mutable bool FMenuFacePending = false;
    int FClientWidth = 0;
    int FClientHeight = 0;
    int FPixelsPerInch = 96;
    bool FShownBefore = false;
    bool FScaled = false;
    bool FLoading = true;
    bool FQueryingEndSession = false;
    // The window of the control that had the focus when the form was last
    // left; a handle, so a control gone since is simply not found.
    THandle FLastFocus = 0;
};

}  // namespace tovel
