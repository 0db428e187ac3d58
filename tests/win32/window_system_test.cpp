// Real windows under the Win32 peers: what the framework's objects become on
// screen, and how the windows' notifications come back as user events.
#include "framework/application.h"
#include "framework/exception.h"
#include "framework/form.h"
#include "framework/std_controls.h"
#include "framework/text.h"
#include "framework/tool_bar.h"
#include "platform/notification_area.h"
#include "settings/varnel.h"
#include "ui/main_form.h"

#include "platform/win32/win32_api.h"

#include <oleacc.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_form_peer.h"
#include "platform/win32/win32_system_messages.h"
#include "platform/win32/win32_system_version.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_text_codec.h"
#include "platform/win32/win32_window_system.h"

#include <gtest/gtest.h>

#include "selftest/foreground.h"
#include "selftest/machine.h"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tovel::win32 {
namespace {

HWND H(TWinControl* control) {
    return reinterpret_cast<HWND>(control->Handle());
}

std::u16string TextOf(HWND window) {
    wchar_t buffer[256] = {};
    const int length = GetWindowTextW(window, buffer, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                          static_cast<std::size_t>(length));
}

std::u16string ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    const int length = GetClassNameW(window, buffer, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer),
                          static_cast<std::size_t>(length));
}

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
}

using Size = std::pair<long, long>;

// The width and height of an icon's image, {0, 0} for no icon.
Size IconSize(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return Size{0, 0};
    }
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    // A monochrome icon's mask holds the AND and the XOR image one above the other.
    const LONG height = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return Size{bitmap.bmWidth, height};
}

// The name a client of Active Accessibility (a screen reader) reads for a
// window's client object; nothing where the system cannot say.
std::optional<std::u16string> AccessibleNameOf(HWND window) {
    using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static const auto fromWindow = reinterpret_cast<FromWindowFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32),
                       "AccessibleObjectFromWindow")));
    // The objects answer through COM, on this thread.
    if (fromWindow == nullptr ||
        FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
        return std::nullopt;
    }
    std::optional<std::u16string> name;
    IAccessible* object = nullptr;
    if (SUCCEEDED(fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                             reinterpret_cast<void**>(&object))) &&
        object != nullptr) {
        VARIANT self;
        VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        if (SUCCEEDED(object->get_accName(self, &text))) {
            name = text != nullptr ? FromWide(text, SysStringLen(text)) : u"";
        }
        SysFreeString(text);
        object->Release();
    }
    CoUninitialize();
    return name;
}

bool IsChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Whatever the previous test left queued (a quit request above all) must not
// reach the next one.
void DrainMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

class NullPointerSettings final : public SystemPointerSettings {
  public:
    std::int32_t GetWheelScrollLines() override { return 3; }
    void SetWheelScrollLines(std::int32_t, UpdateScope) override { ++Writes; }
    std::int32_t GetMouseSpeed() override { return 10; }
    void SetMouseSpeed(std::int32_t, UpdateScope) override { ++Writes; }
    std::int32_t GetWheelRouting() override { return 0; }
    void SetWheelRouting(std::int32_t, UpdateScope) override { ++Writes; }
    int Writes = 0;
};

class NullNotificationArea final : public NotificationArea {
  public:
    bool NotifyIcon(TNotifyIconOperation, const TNotifyIconDataEx&) override {
        ++Requests;
        return true;
    }
    THandle FindTrayTipWindow(bool) override { return 0; }
    int Requests = 0;
};

// A form built like the program's main window, counting its events.
class TTestForm : public TForm {
  public:
    TTestForm(TApplication& application) : TForm(application, &application) {
        SetName(u"testForm");
        SetCaption(u"テスト");
        SetBorderStyle(TBorderStyle::bsSingle);
        SetBorderIcons(biSystemMenu | biMinimize);
        SetPosition(TPosition::poScreenCenter);
        SetClientSize(294, 196);

        Group = Make<TGroupBox>(this);
        Group->SetCaption(u"[ホイール]");
        Group->SetBounds(0, 29, 294, 79);
        Line = Make<TRadioButton>(Group);
        Line->SetCaption(u"行数");
        Line->SetBounds(2, 39, 290, 17);
        Page = Make<TRadioButton>(Group);
        Page->SetCaption(u"１画面");
        Page->SetBounds(2, 15, 290, 17);
        List = Make<TComboBox>(Group);
        List->SetStyle(TComboBoxStyle::csDropDownList);
        List->SetBounds(2, 56, 290, 21);
        for (int i = 1; i <= 20; ++i) {
            List->AddItem(Utf8ToUtf16(std::to_string(i)));
        }
        Check = Make<TCheckBox>(this);
        Check->SetCaption(u"有効");
        Check->SetBounds(2, 120, 290, 24);
        Bar = Make<TToolBar>(this);
        Bar->SetBounds(0, 0, 294, 29);
        Bar->SetShowCaptions(true);
        Bar->SetFlat(true);
        Bar->SetButtonSize(97, 21);
        Write = MakeButton(u"システムに書き込む");
        Separator = MakeButton(u"ToolButton2");
        Separator->SetStyle(TToolButtonStyle::tbsSeparator);
        Quit = MakeButton(u"終了");

        Page->OnClick = [this](TObject*) { ++PageClicks; };
        Line->OnClick = [this](TObject*) {
            ++LineClicks;
            if (ThrowFromLine) {
                throw Exception(u"行数を書けません");
            }
        };
        List->OnChange = [this](TObject*) { Changes.push_back(List->ItemIndex()); };
        Check->OnClick = [this](TObject*) {
            ++CheckClicks;
            if (ThrowFromCheck) {
                ThrowFromCheck = false;
                throw Exception(u"壊れた");
            }
        };
        Write->OnClick = [this](TObject*) { ++WriteClicks; };
        Quit->OnClick = [this](TObject*) { ++QuitClicks; };
        OnCloseQuery = [this](TObject*, bool& canClose) {
            ++CloseQueries;
            canClose = AllowClose;
        };
    }

    template <typename T>
    T* Make(TWinControl* parent) {
        auto* control = new T(this);
        control->SetParent(parent);
        return control;
    }

    TToolButton* MakeButton(const std::u16string& caption) {
        auto* button = new TToolButton(this);
        button->SetParent(Bar);
        button->SetCaption(caption);
        button->SetAutoSize(true);
        return button;
    }

    TGroupBox* Group;
    TRadioButton* Line;
    TRadioButton* Page;
    TComboBox* List;
    TCheckBox* Check;
    TToolBar* Bar;
    TToolButton* Write;
    TToolButton* Separator;
    TToolButton* Quit;

    int PageClicks = 0;
    int LineClicks = 0;
    int CheckClicks = 0;
    int WriteClicks = 0;
    int QuitClicks = 0;
    int CloseQueries = 0;
    bool AllowClose = true;
    bool ThrowFromLine = false;
    bool ThrowFromCheck = false;
    std::vector<int> Changes;
};

struct BoxCall {
    HWND Owner;
    std::u16string Text;
    std::u16string Caption;
    unsigned Flags;
    bool FormEnabled;
    bool AppWindowEnabled;
};

// Set by the watchdog of WindowSystemTest::RunWithDeadline; the tests run on
// one thread.
bool loopExpired = false;

void CALLBACK EndLoop(HWND, UINT, UINT_PTR, DWORD) {
    loopExpired = true;
    PostQuitMessage(0);
}

class WindowSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DrainMessages();
        system.SetMessageBoxHandler([this](THandle owner, const std::u16string& text,
                                           const std::u16string& caption, unsigned flags) {
            HWND form = form_ != nullptr && form_->HandleAllocated()
                            ? reinterpret_cast<HWND>(form_->Peer()->Handle())
                            : nullptr;
            HWND appWindow = reinterpret_cast<HWND>(app.Handle());
            boxes.push_back(BoxCall{reinterpret_cast<HWND>(owner), text, caption, flags,
                                    form != nullptr && IsWindowEnabled(form) != FALSE,
                                    IsWindowEnabled(appWindow) != FALSE});
        });
    }

    void TearDown() override { DrainMessages(); }

    TTestForm* MakeForm() {
        form_ = app.CreateForm<TTestForm>();
        app.SetTitle(u"Tovel");
        return form_;
    }

    TTestForm* ShownForm() {
        TTestForm* form = MakeForm();
        form->Show();
        DrainMessages();
        return form;
    }

    // The application's loop, which ends when the form closes. A loop still
    // running at the deadline (a close request lost, a box nobody answers)
    // is ended, and the answer is false.
    bool RunWithDeadline(UINT milliseconds = 30000) {
        loopExpired = false;
        const UINT_PTR watchdog = SetTimer(nullptr, 0, milliseconds, EndLoop);
        app.Run();
        KillTimer(nullptr, watchdog);
        DrainMessages();
        return !loopExpired;
    }

    Win32WindowSystem system;
    TApplication app{system};
    std::vector<BoxCall> boxes;

  private:
    TTestForm* form_ = nullptr;
};

TEST_F(WindowSystemTest, WindowsAreMadeOnlyWhenTheFormIsFirstShown) {
    TTestForm* form = MakeForm();
    // A run that never shows the window makes none.
    EXPECT_FALSE(app.HandleAllocated());
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_FALSE(form->Group->HandleAllocated());
    EXPECT_FALSE(form->List->HandleAllocated());
    EXPECT_FALSE(form->Bar->HandleAllocated());

    form->Show();
    ASSERT_TRUE(form->HandleAllocated());
    for (TWinControl* control : std::vector<TWinControl*>{form, form->Group, form->Line, form->Page,
                                                          form->List, form->Check, form->Bar}) {
        ASSERT_TRUE(control->HandleAllocated());
        EXPECT_TRUE(IsWindow(H(control)));
        EXPECT_TRUE(IsWindowVisible(H(control)));
    }
    EXPECT_EQ(ClassOf(H(form)), u"TtestForm");
    EXPECT_EQ(TextOf(H(form)), u"テスト");
    // Controls sit inside the windows of their parents, at their stored places.
    EXPECT_EQ(GetParent(H(form->Line)), H(form->Group));
    EXPECT_EQ(GetParent(H(form->Group)), H(form));
    RECT r{};
    GetWindowRect(H(form->Page), &r);
    MapWindowPoints(nullptr, H(form->Group), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 15);
    EXPECT_EQ(r.right - r.left, 290);
    EXPECT_EQ(r.bottom - r.top, 17);
}

TEST_F(WindowSystemTest, ControlsAreTheSystemControlsOfTheirKind) {
    TTestForm* form = ShownForm();
    EXPECT_EQ(ClassOf(H(form->Group)), u"Button");
    EXPECT_EQ(StyleOf(H(form->Group)) & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
    EXPECT_EQ(TextOf(H(form->Group)), u"[ホイール]");
    // Not the automatic kinds: a click must not check anything by itself.
    EXPECT_EQ(StyleOf(H(form->Page)) & BS_TYPEMASK, static_cast<DWORD>(BS_RADIOBUTTON));
    EXPECT_EQ(TextOf(H(form->Page)), u"１画面");
    EXPECT_EQ(StyleOf(H(form->Check)) & BS_TYPEMASK, static_cast<DWORD>(BS_CHECKBOX));
    EXPECT_EQ(ClassOf(H(form->List)), u"ComboBox");
    EXPECT_EQ(StyleOf(H(form->List)) & 3u, static_cast<DWORD>(CBS_DROPDOWNLIST));
    EXPECT_EQ(SendMessageW(H(form->List), CB_GETCOUNT, 0, 0), 20);
    EXPECT_NE(StyleOf(H(form->List)) & WS_TABSTOP, 0u);
    EXPECT_EQ(StyleOf(H(form->Bar)) & WS_TABSTOP, 0u);

    // One font, the form's, on every control.
    const auto font = reinterpret_cast<HFONT>(SendMessageW(H(form->Page), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(H(form->List), WM_GETFONT, 0, 0)), font);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(H(form->Bar), WM_GETFONT, 0, 0)), font);
    LOGFONTW logFont{};
    ASSERT_NE(GetObjectW(font, sizeof(logFont), &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, -11);
    EXPECT_EQ(std::wstring(logFont.lfFaceName), L"Tahoma");
}

TEST_F(WindowSystemTest, PlainControlIsAWindowOfTheProgramsOwnClassHoldingItsControls) {
    TTestForm* form = MakeForm();
    auto* panel = new TWinControl(form);
    panel->SetParent(form);
    panel->SetBounds(4, 150, 200, 40);
    auto* inner = new TCheckBox(form);
    inner->SetParent(panel);
    inner->SetCaption(u"内側");
    inner->SetBounds(3, 5, 100, 20);
    form->Show();
    DrainMessages();

    EXPECT_EQ(ClassOf(H(panel)), u"TWinControl");
    EXPECT_EQ(GetParent(H(panel)), H(form));
    EXPECT_EQ(GetParent(H(inner)), H(panel));
    EXPECT_EQ(StyleOf(H(inner)) & BS_TYPEMASK, static_cast<DWORD>(BS_CHECKBOX));
    // Nested deeper, the control still shows the form's font.
    EXPECT_EQ(SendMessageW(H(inner), WM_GETFONT, 0, 0),
              SendMessageW(H(form->Page), WM_GETFONT, 0, 0));
    SendMessageW(H(inner), BM_CLICK, 0, 0);
    EXPECT_TRUE(inner->Checked());
}

TEST_F(WindowSystemTest, ToolbarShowsTheButtonsInOrderWithAnEightPixelSeparator) {
    TTestForm* form = ShownForm();
    HWND bar = H(form->Bar);
    EXPECT_EQ(ClassOf(bar), u"ToolbarWindow32");
    ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 3);
    TBBUTTON separator{};
    SendMessageW(bar, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&separator));
    EXPECT_NE(separator.fsStyle & BTNS_SEP, 0);
    RECT r{};
    SendMessageW(bar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.right - r.left, 8);
    // The first button starts the row; the last follows the separator.
    RECT first{};
    RECT last{};
    SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageW(bar, TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(r.left, first.right);
    EXPECT_EQ(last.left, r.right);
    EXPECT_EQ(first.bottom - first.top, 21);
}

TEST_F(WindowSystemTest, RadioButtonClickChecksItOnceAndUnchecksItsSibling) {
    TTestForm* form = ShownForm();
    form->Page->SetChecked(true);
    ASSERT_TRUE(IsChecked(H(form->Page)));

    SendMessageW(H(form->Line), BM_CLICK, 0, 0);
    EXPECT_EQ(form->LineClicks, 1);
    EXPECT_TRUE(form->Line->Checked());
    EXPECT_FALSE(form->Page->Checked());
    EXPECT_TRUE(IsChecked(H(form->Line)));
    EXPECT_FALSE(IsChecked(H(form->Page)));
    // The pair is one tab stop: the checked button.
    EXPECT_NE(StyleOf(H(form->Line)) & WS_TABSTOP, 0u);
    EXPECT_EQ(StyleOf(H(form->Page)) & WS_TABSTOP, 0u);

    // Clicking the checked button raises nothing and changes nothing.
    SendMessageW(H(form->Line), BM_CLICK, 0, 0);
    EXPECT_EQ(form->LineClicks, 1);
    EXPECT_EQ(form->PageClicks, 0);
    EXPECT_TRUE(IsChecked(H(form->Line)));
}

TEST_F(WindowSystemTest, CheckBoxClickTogglesAndRaisesItsEvent) {
    TTestForm* form = ShownForm();
    SendMessageW(H(form->Check), BM_CLICK, 0, 0);
    EXPECT_TRUE(form->Check->Checked());
    EXPECT_TRUE(IsChecked(H(form->Check)));
    EXPECT_EQ(form->CheckClicks, 1);
    SendMessageW(H(form->Check), BM_CLICK, 0, 0);
    EXPECT_FALSE(form->Check->Checked());
    EXPECT_FALSE(IsChecked(H(form->Check)));
    EXPECT_EQ(form->CheckClicks, 2);

    // A disabled control's click reaches nothing.
    form->Check->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(H(form->Check)));
    SendMessageW(GetParent(H(form->Check)), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(H(form->Check)));
    EXPECT_EQ(form->CheckClicks, 2);
    EXPECT_FALSE(form->Check->Checked());
}

TEST_F(WindowSystemTest, DisablingAGroupBoxDisablesTheWindowsOfItsControls) {
    TTestForm* form = ShownForm();
    ASSERT_TRUE(IsWindowEnabled(H(form->Line)));
    form->Group->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(H(form->Group)));
    EXPECT_FALSE(IsWindowEnabled(H(form->Line)));
    EXPECT_FALSE(IsWindowEnabled(H(form->List)));
    form->Group->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(H(form->Line)));

    // Enabling the box again gives each control back its own state.
    form->Group->SetEnabled(false);
    form->List->SetEnabled(false);
    form->Group->SetEnabled(true);
    EXPECT_FALSE(IsWindowEnabled(H(form->List)));
    EXPECT_TRUE(IsWindowEnabled(H(form->Page)));
}

TEST_F(WindowSystemTest, ListSelectionRaisesOnChangeOnceWithTheChosenIndex) {
    TTestForm* form = ShownForm();
    HWND list = H(form->List);
    SendMessageW(list, CB_SETCURSEL, 4, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(form->Changes, std::vector<int>{4});
    EXPECT_EQ(form->List->ItemIndex(), 4);

    // Other notifications of the list are not selections.
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(form->Changes.size(), 1u);
}

TEST_F(WindowSystemTest, ListDropsDownItsDropDownCountOfEntries) {
    TTestForm* form = ShownForm();
    HWND list = H(form->List);
    const auto item = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(item, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(list, &info));
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    RECT dropped{};
    RECT inside{};
    GetWindowRect(info.hwndList, &dropped);
    GetClientRect(info.hwndList, &inside);
    SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    // Eight whole entries of the twenty, the rest behind a scroll bar.
    EXPECT_EQ(inside.bottom / item, 8) << "list " << dropped.bottom - dropped.top << " px";
    EXPECT_NE(GetWindowLongW(info.hwndList, GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(WindowSystemTest, ToolbarCommandsReachTheirButtonsOnly) {
    TTestForm* form = ShownForm();
    HWND bar = H(form->Bar);
    auto commandOf = [bar](int index) {
        TBBUTTON button{};
        SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&button));
        return button.idCommand;
    };
    auto send = [form, bar](int id) {
        SendMessageW(H(form), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(bar));
    };
    send(commandOf(0));
    EXPECT_EQ(form->WriteClicks, 1);
    EXPECT_EQ(form->QuitClicks, 0);
    send(commandOf(1));  // the separator
    send(commandOf(2));
    EXPECT_EQ(form->WriteClicks, 1);
    EXPECT_EQ(form->QuitClicks, 1);

    // After the buttons are rebuilt, a command for the old ones names nothing.
    const int stale = commandOf(0);
    form->Write->SetCaption(u"書き込む");
    EXPECT_NE(commandOf(0), stale);
    send(stale);
    EXPECT_EQ(form->WriteClicks, 1);
    send(commandOf(0));
    EXPECT_EQ(form->WriteClicks, 2);
}

TEST_F(WindowSystemTest, StateSetFromCodeIsMirroredAndRaisesNoEvent) {
    TTestForm* form = ShownForm();
    form->Page->SetChecked(true);
    EXPECT_TRUE(IsChecked(H(form->Page)));
    form->Line->SetChecked(true);
    EXPECT_TRUE(IsChecked(H(form->Line)));
    EXPECT_FALSE(IsChecked(H(form->Page)));
    form->List->SetItemIndex(7);
    EXPECT_EQ(SendMessageW(H(form->List), CB_GETCURSEL, 0, 0), 7);
    form->List->SetItemIndex(-1);
    EXPECT_EQ(SendMessageW(H(form->List), CB_GETCURSEL, 0, 0), CB_ERR);
    form->List->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(H(form->List)));
    form->List->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(H(form->List)));
    form->Group->SetCaption(u"[ポインターの速度]");
    EXPECT_EQ(TextOf(H(form->Group)), u"[ポインターの速度]");
    form->List->ClearItems();
    EXPECT_EQ(SendMessageW(H(form->List), CB_GETCOUNT, 0, 0), 0);
    form->Check->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(H(form->Check)));
    DrainMessages();

    EXPECT_EQ(form->PageClicks, 0);
    EXPECT_EQ(form->LineClicks, 0);
    EXPECT_TRUE(form->Changes.empty());
}

TEST_F(WindowSystemTest, FailureInAHandlerIsShownAndTheLoopGoesOn) {
    TTestForm* form = ShownForm();
    form->ThrowFromCheck = true;
    // Two clicks and a close request, delivered by the message loop itself.
    PostMessageW(H(form->Check), BM_CLICK, 0, 0);
    PostMessageW(H(form->Check), BM_CLICK, 0, 0);
    PostMessageW(H(form), WM_CLOSE, 0, 0);
    ASSERT_TRUE(RunWithDeadline()) << "the loop did not end within 30 s; boxes shown: "
                                   << boxes.size();

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, u"壊れた.");
    EXPECT_EQ(boxes[0].Caption, u"Tovel");
    EXPECT_EQ(boxes[0].Flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    // The program's other windows take no input while the box shows, and
    // they take it again afterwards.
    ASSERT_TRUE(boxes[0].Owner == H(form) ||
                boxes[0].Owner == reinterpret_cast<HWND>(app.Handle()));
    if (boxes[0].Owner != H(form)) {
        EXPECT_FALSE(boxes[0].FormEnabled);
    }
    if (boxes[0].Owner != reinterpret_cast<HWND>(app.Handle())) {
        EXPECT_FALSE(boxes[0].AppWindowEnabled);
    }
    EXPECT_TRUE(IsWindowEnabled(H(form)));
    EXPECT_TRUE(IsWindowEnabled(reinterpret_cast<HWND>(app.Handle())));
    // The loop went on: the second click and the close request arrived.
    EXPECT_EQ(form->CheckClicks, 2);
    EXPECT_EQ(form->CloseQueries, 1);
    EXPECT_TRUE(app.Terminated());
}

TEST_F(WindowSystemTest, FailureInARadioHandlerKeepsTheNewCheckMark) {
    TTestForm* form = ShownForm();
    // A window that was disabled before the box stays disabled after it.
    auto* other = app.CreateForm<TTestForm>();
    other->SetName(u"otherForm");
    other->Show();
    other->SetEnabled(false);
    ASSERT_FALSE(IsWindowEnabled(H(other)));
    SetActiveWindow(H(form));

    form->ThrowFromLine = true;
    SendMessageW(H(form->Line), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, u"行数を書けません.");
    EXPECT_TRUE(IsChecked(H(form->Line)));
    EXPECT_EQ(form->LineClicks, 1);
    EXPECT_FALSE(IsWindowEnabled(H(other)));
    EXPECT_TRUE(IsWindowEnabled(H(form)));
}

TEST_F(WindowSystemTest, ActivatedFormFocusesItsFirstTabStopThenTheLastFocusedControl) {
    TTestForm* form = MakeForm();
    form->Page->SetChecked(true);
    form->Show();
    DrainMessages();
    std::string why;
    if (!selftest::TakeForeground(H(form), why)) {
        GTEST_SKIP() << why;
    }
    // The checked radio button is the first tab stop.
    EXPECT_EQ(GetFocus(), H(form->Page));
    EXPECT_EQ(form->PageClicks, 0);

    auto* other = app.CreateForm<TTestForm>();
    other->SetName(u"otherForm");
    SetFocus(H(form->List));
    other->Show();
    SetActiveWindow(H(other));
    ASSERT_EQ(GetActiveWindow(), H(other));
    SetActiveWindow(H(form));
    EXPECT_EQ(GetFocus(), H(form->List));
}

TEST_F(WindowSystemTest, TabInTheMessageLoopMovesToTheNextTabStop) {
    TTestForm* form = ShownForm();
    SetActiveWindow(H(form));
    SetFocus(H(form->List));
    ASSERT_EQ(GetFocus(), H(form->List));
    PostMessageW(H(form->List), WM_KEYDOWN, VK_TAB, 0);
    app.ProcessMessages();
    // Out of the group box to the check box: the radio buttons are no tab
    // stops while neither is checked.
    EXPECT_EQ(GetFocus(), H(form->Check));
    EXPECT_FALSE(app.Terminated());
}

TEST_F(WindowSystemTest, ApplicationWindowIsAZeroSizePopupShownWithTheForms) {
    TTestForm* form = MakeForm();
    HWND appWindow = reinterpret_cast<HWND>(app.Handle());
    ASSERT_TRUE(IsWindow(appWindow));
    // Made hidden: no taskbar button before a form shows.
    EXPECT_FALSE(IsWindowVisible(appWindow));
    form->Show();
    EXPECT_EQ(ClassOf(appWindow), u"TApplication");
    EXPECT_EQ(TextOf(appWindow), u"Tovel");
    const DWORD style = StyleOf(appWindow);
    EXPECT_NE(style & WS_POPUP, 0u);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_NE(style & WS_MINIMIZEBOX, 0u);
    EXPECT_EQ(style & WS_THICKFRAME, 0u);
    // The form belongs to it: the taskbar button is the application window's.
    EXPECT_EQ(GetWindow(H(form), GW_OWNER), appWindow);

    RECT r{};
    GetWindowRect(appWindow, &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);
    EXPECT_TRUE(IsWindowVisible(appWindow));

    form->Hide();
    EXPECT_FALSE(IsWindowVisible(H(form)));
    EXPECT_FALSE(IsWindowVisible(appWindow));
    form->Show();
    EXPECT_TRUE(IsWindowVisible(appWindow));
    GetWindowRect(appWindow, &r);
    EXPECT_EQ(r.right - r.left, 0);
}

TEST_F(WindowSystemTest, MinimisingTheMainFormMinimisesTheApplicationWindow) {
    TTestForm* form = ShownForm();
    HWND appWindow = reinterpret_cast<HWND>(app.Handle());
    SendMessageW(H(form), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(appWindow));
    // The owned form goes out of sight with its owner.
    EXPECT_FALSE(IsWindowVisible(H(form)));

    app.Restore();
    EXPECT_FALSE(IsIconic(appWindow));
    EXPECT_TRUE(IsWindowVisible(appWindow));
    EXPECT_TRUE(IsWindowVisible(H(form)));
    RECT r{};
    GetWindowRect(appWindow, &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);
}

TEST_F(WindowSystemTest, CloseRequestAsksTheCloseQueryAndEndsTheProgram) {
    TTestForm* form = ShownForm();
    form->AllowClose = false;
    SendMessageW(H(form), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->CloseQueries, 1);
    EXPECT_FALSE(app.Terminated());
    // Refused: the window is still there and shown.
    EXPECT_TRUE(IsWindowVisible(H(form)));

    form->AllowClose = true;
    SendMessageW(H(form), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->CloseQueries, 2);
    EXPECT_TRUE(app.Terminated());
    // The loop sees the end at once rather than waiting for a message.
    EXPECT_TRUE(RunWithDeadline(10000)) << "the loop waited for a message after the end";
    EXPECT_TRUE(app.Terminated());
}

TEST_F(WindowSystemTest, FirstShowingCentresTheFormInTheWorkArea) {
    TTestForm* form = ShownForm();
    const TRect area = system.WorkArea();
    RECT r{};
    GetWindowRect(H(form), &r);
    EXPECT_EQ(r.left, area.Left + (area.Width() - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, area.Top + (area.Height() - (r.bottom - r.top)) / 2);
    EXPECT_EQ(form->Left(), r.left);
    EXPECT_EQ(form->Width(), r.right - r.left);
    RECT client{};
    GetClientRect(H(form), &client);
    EXPECT_EQ(client.right, 294);
    EXPECT_EQ(client.bottom, 196);

    // Moved by the user, the framework keeps the new place.
    SetWindowPos(H(form), nullptr, 17, 23, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(form->Left(), 17);
    EXPECT_EQ(form->Top(), 23);
    form->Hide();
    form->Show();
    GetWindowRect(H(form), &r);
    EXPECT_EQ(r.left, 17);
    EXPECT_EQ(r.top, 23);
}

TEST_F(WindowSystemTest, BusyCursorShowsOverTheProgramsWindows) {
    TTestForm* form = ShownForm();
    app.SetCursor(TCursor::crHourGlass);
    EXPECT_EQ(SendMessageW(H(form->List), WM_SETCURSOR, reinterpret_cast<WPARAM>(H(form->List)),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    app.SetCursor(TCursor::crDefault);
    SendMessageW(H(form), WM_SETCURSOR, reinterpret_cast<WPARAM>(H(form)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(WindowSystemTest, AHandlerMayFreeTheFormWhoseWindowCalledIt) {
    TTestForm* form = ShownForm();
    HWND window = H(form);
    HWND bar = H(form->Bar);
    TBBUTTON quit{};
    SendMessageW(bar, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&quit));
    form->Quit->OnClick = [form](TObject*) { delete form; };
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(quit.idCommand, BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(bar));
    // A late command for the window that is gone reaches nothing.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(quit.idCommand, BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar));
    DrainMessages();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowSystemTest, DestroyedFormTakesItsWindowsAlong) {
    TTestForm* form = ShownForm();
    HWND formWindow = H(form);
    HWND radio = H(form->Line);
    delete form;
    EXPECT_FALSE(IsWindow(formWindow));
    EXPECT_FALSE(IsWindow(radio));
}

// What the real main window is made with: the system's files and messages,
// no setting written and no icon shown.
struct MainFormServices {
    NullPointerSettings settings;
    Win32FileSystem files;
    Win32SystemVersion version;
    Varnel dataFolder{files, version};
    Win32TextCodec codec;
    Win32SystemMessages messages;
    NullNotificationArea tray;

    TmainForm* Make(TApplication& app, const std::u16string& arguments) {
        return app.CreateForm<TmainForm>(TmainFormServices{
            settings, dataFolder, files, codec, messages, tray, u"Tovel.exe " + arguments});
    }
};

TEST_F(WindowSystemTest, MainWindowHasAFixedFrameAroundItsClientArea) {
    MainFormServices services;
    NullPointerSettings& settings = services.settings;
    auto* form = services.Make(app, u"/w");
    EXPECT_FALSE(form->HandleAllocated());
    const int writesBeforeShowing = settings.Writes;
    form->Show();
    HWND window = H(form);
    EXPECT_EQ(ClassOf(window), u"TmainForm");
    EXPECT_EQ(TextOf(window), u"Tovel");
    const DWORD style = StyleOf(window);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_NE(style & WS_SYSMENU, 0u);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0u);
    EXPECT_NE(style & WS_CLIPCHILDREN, 0u);
    EXPECT_EQ(style & WS_THICKFRAME, 0u);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 294);
    EXPECT_EQ(client.bottom, 196);
    EXPECT_EQ(TextOf(H(form->BtnPage)), u"１画面ずつスクロールする");
    EXPECT_EQ(SendMessageW(H(form->ToolBar1), TB_BUTTONCOUNT, 0, 0), 3);
    // Showing the window writes no setting.
    EXPECT_EQ(settings.Writes, writesBeforeShowing);
}

// The window shown from the tray menu, and again when the application window
// (whose taskbar button the user clicks) is activated, is the active one with
// the keyboard in it, on the control that had it. Its lists are named for
// screen readers after their group boxes.
TEST_F(WindowSystemTest, MainWindowFromTheTrayHasTheKeyboardAndNamedLists) {
    MainFormServices services;
    // The program brings its window forward as the foreground process does
    // after a click on its icon: one of this process's windows is there first.
    const selftest::ForegroundAnchor anchor;
    if (!anchor.Taken()) {
        GTEST_SKIP() << anchor.Why();
    }
    auto* form = services.Make(app, u"/t");
    form->PPDisp->Click();
    DrainMessages();
    EXPECT_EQ(GetActiveWindow(), H(form));
    EXPECT_TRUE(IsChild(H(form), GetFocus())) << "focus on window " << GetFocus();

    SetFocus(H(form->ComboBoxSpeed));
    SetActiveWindow(reinterpret_cast<HWND>(app.Handle()));
    DrainMessages();
    EXPECT_EQ(GetActiveWindow(), H(form));
    EXPECT_EQ(GetFocus(), H(form->ComboBoxSpeed));
    // Wine's annotation service keeps no names.
    if (!selftest::RunningOnWine()) {
        EXPECT_EQ(AccessibleNameOf(H(form->ComboBoxLine)),
                  u"ホイールの\uFF11目盛りでスクロールする量");
        EXPECT_EQ(AccessibleNameOf(H(form->ComboBoxSpeed)), u"ポインターの速度");
    }
    // Its tray icon goes while the services it uses are still there.
    delete form;
}

// The windows that were sent a colour change while the hook below was set.
std::vector<HWND> gColourChangeReceivers;

LRESULT CALLBACK RecordColourChange(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_SYSCOLORCHANGE) {
        gColourChangeReceivers.push_back(sent->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The system sends a colour change to the top-level windows only; every control
// of the main window, the toolbar first among them, hears of it from the form.
TEST_F(WindowSystemTest, AColourChangeReachesEveryControlOfTheMainWindow) {
    MainFormServices services;
    auto* form = services.Make(app, u"/w");
    gColourChangeReceivers.clear();
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROC, RecordColourChange, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr) << GetLastError();
    SendMessageW(H(form), WM_SYSCOLORCHANGE, 0, 0);
    UnhookWindowsHookEx(hook);
    for (TWinControl* control :
         std::initializer_list<TWinControl*>{form->ToolBar1, form->GroupBoxWheel, form->BtnPage,
                                             form->BtnLine, form->ComboBoxLine,
                                             form->GroupBoxPointer, form->ComboBoxSpeed,
                                             form->GroupBoxNoActive, form->CHKNoActive}) {
        EXPECT_EQ(std::count(gColourChangeReceivers.begin(), gColourChangeReceivers.end(),
                             H(control)),
                  1)
            << Utf16ToUtf8(control->Name());
    }
    delete form;
}

TEST_F(WindowSystemTest, DpiChangeScalesTheFormAndTakesTheSuggestedRectangle) {
    TTestForm* form = ShownForm();
    const RECT suggested{100, 80, 100 + 460, 80 + 340};
    SendMessageW(H(form), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form->PixelsPerInch(), 144);
    RECT r{};
    GetWindowRect(H(form), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.right - r.left, 460);
    EXPECT_EQ(r.bottom - r.top, 340);
    // The framework knows the client area the new frame leaves.
    RECT client{};
    GetClientRect(H(form), &client);
    EXPECT_EQ(form->ClientWidth(), client.right);
    EXPECT_EQ(form->ClientHeight(), client.bottom);
    // Controls and font follow: 2, 15 at 96 DPI is 3, 23 at 144 (halves away from zero).
    GetWindowRect(H(form->Page), &r);
    MapWindowPoints(nullptr, H(form->Group), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.top, 23);
    LOGFONTW logFont{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(H(form->Page), WM_GETFONT, 0, 0)),
               sizeof(logFont), &logFont);
    EXPECT_EQ(logFont.lfHeight, -17);
}

TEST_F(WindowSystemTest, ClientSizeSetFromCodeResizesTheFrame) {
    TTestForm* form = ShownForm();
    form->SetClientSize(300, 210);
    RECT client{};
    GetClientRect(H(form), &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 210);
    RECT r{};
    GetWindowRect(H(form), &r);
    EXPECT_EQ(form->Width(), r.right - r.left);
    EXPECT_EQ(form->Height(), r.bottom - r.top);
}

class CountingSink final : public TTimerSink {
  public:
    void TimerTick(std::uintptr_t id) override { Ids.push_back(id); }
    int Ticks(std::uintptr_t id) const {
        int count = 0;
        for (std::uintptr_t seen : Ids) {
            count += seen == id ? 1 : 0;
        }
        return count;
    }
    std::vector<std::uintptr_t> Ids;
};

// Dispatches messages until the condition holds or the time is up.
template <typename Condition>
bool PumpUntil(Condition condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) {
            return false;
        }
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    return true;
}

TEST_F(WindowSystemTest, TimersAreNamedBySinkAndIdAndTickUntilStopped) {
    CountingSink first;
    CountingSink second;
    // The same id under two sinks names two timers; a sink's own ids come back.
    ASSERT_TRUE(system.StartTimer(first, 7, 10));
    ASSERT_TRUE(system.StartTimer(second, 7, 10));
    ASSERT_TRUE(system.StartTimer(second, 9, 10));
    ASSERT_TRUE(PumpUntil(
        [&] { return first.Ticks(7) >= 2 && second.Ticks(7) >= 2 && second.Ticks(9) >= 2; },
        3000))
        << "ticks seen: first " << first.Ids.size() << ", second " << second.Ids.size();
    EXPECT_EQ(first.Ticks(7), static_cast<int>(first.Ids.size())) << "only its own id";

    EXPECT_TRUE(system.StopTimer(first, 7));
    EXPECT_FALSE(system.StopTimer(first, 7));
    EXPECT_FALSE(system.StopTimer(first, 9)) << "the other sink's id is not this one's";
    const std::size_t stoppedAt = first.Ids.size();
    const int secondBefore = second.Ticks(7);
    ASSERT_TRUE(PumpUntil([&] { return second.Ticks(7) >= secondBefore + 3; }, 3000));
    EXPECT_EQ(first.Ids.size(), stoppedAt);
    EXPECT_TRUE(system.StopTimer(second, 7));
    EXPECT_TRUE(system.StopTimer(second, 9));
}

TEST_F(WindowSystemTest, AStartedAgainTimerIsStillOneAndEveryWindowSystemHasTimers) {
    CountingSink sink;
    // Started twice, it is one timer: one stop ends its ticks.
    ASSERT_TRUE(system.StartTimer(sink, 1, 10));
    ASSERT_TRUE(system.StartTimer(sink, 1, 10));
    EXPECT_TRUE(system.StopTimer(sink, 1));
    EXPECT_FALSE(system.StopTimer(sink, 1));

    // A second window system of the same thread keeps timers of its own, and
    // ends them with itself.
    CountingSink other;
    auto second = std::make_unique<win32::Win32WindowSystem>();
    ASSERT_TRUE(second->StartTimer(other, 1, 10));
    ASSERT_TRUE(system.StartTimer(sink, 2, 10));
    ASSERT_TRUE(PumpUntil([&] { return other.Ticks(1) >= 2 && sink.Ticks(2) >= 2; }, 3000))
        << "ticks seen: " << other.Ids.size() << " and " << sink.Ids.size();
    EXPECT_EQ(sink.Ticks(1), 0) << "the timer started twice and stopped never ticked";
    second.reset();
    const std::size_t otherAt = other.Ids.size();
    const int sinkBefore = sink.Ticks(2);
    ASSERT_TRUE(PumpUntil([&] { return sink.Ticks(2) >= sinkBefore + 3; }, 3000));
    EXPECT_EQ(other.Ids.size(), otherAt) << "gone with its window system";
    EXPECT_TRUE(system.StopTimer(sink, 2));
}

TEST_F(WindowSystemTest, TextMetricsFollowTheFont) {
    TFont small;
    TFont large = small;
    large.Height = small.Height * 2;
    const int smallLine = system.TextLineHeight(small);
    const int largeLine = system.TextLineHeight(large);
    // A line is at least as high as the characters, and grows with them.
    EXPECT_GE(smallLine, 11);
    EXPECT_GE(largeLine, 2 * smallLine - 2);
    EXPECT_LE(largeLine, 2 * smallLine + 2);
    EXPECT_FALSE(system.MenuFontName().empty());

    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(system.MonitorDpi(system.WorkArea()), systemDpi);
    const TRect area = system.WorkArea();
    const TRect screenRect = system.ScreenRect();
    EXPECT_EQ(screenRect.Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(area.Height(), screenRect.Height());
}

TEST_F(WindowSystemTest, MessageWindowsHandTheirMessagesToTheHandler) {
    std::vector<TMessage> seen;
    auto window = system.CreateMessageWindow([&seen](TMessage& message) {
        if (message.Msg == WM_USER + 7) {
            seen.push_back(message);
            message.Result = 42;
        }
    });
    HWND handle = reinterpret_cast<HWND>(window->Handle());
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_FALSE(IsWindowVisible(handle));
    EXPECT_EQ(GetParent(handle), nullptr);
    EXPECT_EQ(SendMessageW(handle, WM_USER + 7, 3, 4), 42);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].WParam, 3u);
    EXPECT_EQ(seen[0].LParam, 4);

    window.reset();
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(WindowSystemTest, RegisteredMessagesAndIconsComeFromTheSystem) {
    const std::uint32_t taskbarCreated = system.RegisterSharedMessage(u"TaskbarCreated");
    EXPECT_GE(taskbarCreated, 0xC000u);
    EXPECT_EQ(system.RegisterSharedMessage(u"TaskbarCreated"), taskbarCreated);
    // The manifest asks for version 6. Wine 8 hands out the system folder's
    // version 5 when the load names that folder, as the program's does.
    EXPECT_GE(system.CommonControlsVersion() >> 16, selftest::RunningOnWine() ? 5u : 6u);

    const THandle stock = system.WindowsLogoIcon();
    ASSERT_NE(stock, 0u);
    const THandle copy = system.DuplicateIcon(stock);
    ASSERT_NE(copy, 0u);
    EXPECT_NE(copy, stock);
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(reinterpret_cast<HICON>(copy), &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    system.FreeIcon(copy);
    // The test program carries the program's icons, and nothing under other ids.
    const THandle read = system.LoadIconResource(1, 16);
    EXPECT_EQ(IconSize(reinterpret_cast<HICON>(read)), (Size{16, 16}));
    system.FreeIcon(read);
    EXPECT_EQ(system.LoadIconResource(999, 16), 0u);
}

// The taskbar button and Alt+Tab show the class's large icon, the caption its
// small one: each is an image of the size the system asks for, not one size
// stretched to the other. Windows finds a shared image again by its name
// alone, whatever the size (Wine by name and size), so neither may be one.
TEST_F(WindowSystemTest, TheWindowClassesCarryTheProgramIconAtBothSystemSizes) {
    TTestForm* form = ShownForm();
    const struct {
        int index;
        Size size;
    } icons[] = {
        {GCLP_HICON, {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)}},
        {GCLP_HICONSM, {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)}},
    };
    for (HWND window : {H(form), reinterpret_cast<HWND>(app.Handle())}) {
        for (const auto& icon : icons) {
            SCOPED_TRACE(testing::Message() << (icon.index == GCLP_HICON ? "large" : "small")
                                            << " icon of window " << window);
            const auto held = reinterpret_cast<HICON>(GetClassLongPtrW(window, icon.index));
            EXPECT_EQ(IconSize(held), icon.size);
            const HANDLE shared =
                LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                           icon.size.first, icon.size.second, LR_SHARED);
            EXPECT_NE(held, shared) << "the class holds the shared image";
        }
    }
}

// A control no label names carries the name it is given for screen readers,
// from its window's making on and whenever it changes; an empty name gives
// back the system's own.
TEST_F(WindowSystemTest, AControlCarriesItsNameForScreenReaders) {
    TTestForm* form = MakeForm();
    form->List->SetAccessibleName(u"ホイールの\uFF11目盛りでスクロールする量");
    form->Show();
    HWND list = H(form->List);
    const std::optional<std::u16string> made = AccessibleNameOf(list);
    if (selftest::RunningOnWine() && made != u"ホイールの\uFF11目盛りでスクロールする量") {
        GTEST_SKIP() << "Wine's annotation service keeps no names (read: "
                     << Utf16ToUtf8(made.value_or(u"(nothing)")) << ")";
    }
    EXPECT_EQ(made, u"ホイールの\uFF11目盛りでスクロールする量");
    form->List->SetAccessibleName(u"ポインターの速度");
    EXPECT_EQ(AccessibleNameOf(list), u"ポインターの速度");
    form->List->SetAccessibleName(u"");
    EXPECT_NE(AccessibleNameOf(list), u"ポインターの速度");
}

// What the filter then lets through cannot be seen without an elevated
// process: this shows that the system's call is found and takes the request.
// (Wine 8 answers every such request with success, even for no window.)
TEST_F(WindowSystemTest, AWindowAcceptsARegisteredMessageFromLowerPrivilege) {
    const std::uint32_t taskbarCreated = system.RegisterSharedMessage(u"TaskbarCreated");
    auto window = system.CreateMessageWindow([](TMessage&) {});
    EXPECT_TRUE(system.AcceptFromLowerPrivilege(window->Handle(), taskbarCreated))
        << GetLastError();
    // Windows refuses it for a window that is gone: the request reached it.
    const THandle gone = window->Handle();
    window.reset();
    if (!selftest::RunningOnWine()) {
        EXPECT_FALSE(system.AcceptFromLowerPrivilege(gone, taskbarCreated));
    }
}

TEST(FormStyleTest, BorderStyleAndIconsChooseTheFrame) {
    Win32WindowSystem system;
    TApplication app(system);
    TForm form(app, nullptr);
    form.SetBorderStyle(TBorderStyle::bsSingle);
    form.SetBorderIcons(biSystemMenu | biMinimize);
    EXPECT_EQ(FormStyleFor(form).Style,
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN));
    form.SetBorderStyle(TBorderStyle::bsSizeable);
    form.SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
    EXPECT_EQ(FormStyleFor(form).Style,
              static_cast<DWORD>(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                                 WS_MAXIMIZEBOX | WS_CLIPCHILDREN));
    // Caption buttons need the system menu; dialogs never get them.
    form.SetBorderIcons(biMinimize | biMaximize);
    EXPECT_EQ(FormStyleFor(form).Style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    form.SetBorderStyle(TBorderStyle::bsDialog);
    form.SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
    EXPECT_EQ(FormStyleFor(form).Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_NE(FormStyleFor(form).ExStyle & WS_EX_DLGMODALFRAME, 0u);
    form.SetBorderStyle(TBorderStyle::bsNone);
    EXPECT_EQ(FormStyleFor(form).Style, static_cast<DWORD>(WS_POPUP | WS_CLIPCHILDREN));
}

}  // namespace
}  // namespace tovel::win32
