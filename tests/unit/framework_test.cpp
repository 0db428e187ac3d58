#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/exception.h"
#include "framework/focus.h"
#include "framework/form.h"
#include "framework/menu.h"
#include "framework/std_controls.h"
#include "framework/text.h"
#include "framework/timer.h"
#include "platform/headless/headless_window_system.h"

namespace tovel {
namespace {

using headless::HeadlessAppWindowPeer;
using headless::HeadlessWindowSystem;

// ---- ownership and notices -------------------------------------------------------

class Recorder : public TComponent {
  public:
    Recorder(TComponent* owner, std::vector<std::string>& log, std::string name)
        : TComponent(owner), FLog(log), FName(std::move(name)) {}
    ~Recorder() override { FLog.push_back("free " + FName); }
    void Loaded() override { FLog.push_back("loaded " + FName); }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component != this) {
            FLog.push_back(FName + " told of removal");
        }
    }

  private:
    std::vector<std::string>& FLog;
    std::string FName;
};

TEST(ComponentTest, OwnerLoadsInCreationOrderAndFreesLastFirstTellingTheOthers) {
    std::vector<std::string> log;
    auto* owner = new TComponent(nullptr);
    new Recorder(owner, log, "a");
    auto* b = new Recorder(owner, log, "b");
    new Recorder(owner, log, "c");
    owner->LoadComponents();
    EXPECT_EQ(log, (std::vector<std::string>{"loaded a", "loaded b", "loaded c"}));

    log.clear();
    delete b;
    EXPECT_EQ(log, (std::vector<std::string>{"free b", "c told of removal", "a told of removal"}));
    EXPECT_EQ(owner->Components().size(), 2u);

    log.clear();
    delete owner;
    EXPECT_EQ(log, (std::vector<std::string>{"free c", "a told of removal", "free a"}));
}

TEST(ComponentTest, LoadingAnOwnerLoadsItsPartsThenItself) {
    std::vector<std::string> log;
    Recorder owner(nullptr, log, "owner");
    new Recorder(&owner, log, "part");
    owner.LoadComponents();
    EXPECT_EQ(log, (std::vector<std::string>{"loaded part", "loaded owner"}));
}

// ---- control event rules ---------------------------------------------------------

class ControlsTest : public ::testing::Test {
  protected:
    HeadlessWindowSystem windows;
    TApplication application{windows};
    TForm* form = application.CreateForm<TForm>(&application);
    TGroupBox* group = new TGroupBox(form);
    int clicks = 0;

    ControlsTest() { group->SetParent(form); }

    template <typename T>
    T* Add() {
        auto* control = new T(form);
        control->SetParent(group);
        return control;
    }
};

TEST_F(ControlsTest, RadioButtonsRaiseClickOnlyWhenTheUserChecksThem) {
    auto* first = Add<TRadioButton>();
    auto* second = Add<TRadioButton>();
    first->OnClick = [this](TObject*) { ++clicks; };
    second->OnClick = [this](TObject*) { ++clicks; };

    first->SetChecked(true);  // from code: no event
    EXPECT_EQ(clicks, 0);
    second->UserClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(second->Checked());
    EXPECT_FALSE(first->Checked());
    second->UserClick();  // already checked
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(second->TabStop());
    EXPECT_FALSE(first->TabStop()) << "the pair is one tab stop, at the checked button";

    group->SetEnabled(false);
    first->UserClick();
    EXPECT_EQ(clicks, 1) << "a disabled group's buttons take no input";
    EXPECT_FALSE(first->Checked());
}

TEST_F(ControlsTest, OnlyControlsShownAndEnabledAllTheWayUpTakeTheFocus) {
    auto* inner = new TGroupBox(form);
    inner->SetParent(group);
    auto* box = new TCheckBox(form);
    box->SetParent(inner);
    form->Show();
    EXPECT_EQ(FirstFocusControl(*form), box);
    group->SetVisible(false);
    EXPECT_EQ(FirstFocusControl(*form), nullptr) << "its group's group is hidden";
    group->SetVisible(true);
    const auto* window = windows.WindowOf(*box);
    ASSERT_NE(window, nullptr);
    group->SetEnabled(false);
    EXPECT_FALSE(window->Enabled) << "disabled with its group's group";
    EXPECT_EQ(FirstFocusControl(*form), nullptr);
    group->SetEnabled(true);
    EXPECT_TRUE(window->Enabled);
    EXPECT_EQ(FirstFocusControl(*form), box);
}

// Docked controls that stand at the same place keep the order they were made
// in, top ones downwards and bottom ones upwards.
TEST_F(ControlsTest, ControlsDockedAtTheSamePlaceKeepTheOrderTheyWereMadeIn) {
    group->SetAlign(TAlign::alClient);
    auto dock = [this](TAlign align, int top) {
        auto* box = Add<TCheckBox>();
        box->SetAlign(align);
        box->SetBounds(0, top, 50, 10);
        return box;
    };
    TCheckBox* firstTop = dock(TAlign::alTop, 5);
    TCheckBox* secondTop = dock(TAlign::alTop, 5);
    TCheckBox* firstBottom = dock(TAlign::alBottom, 40);
    TCheckBox* secondBottom = dock(TAlign::alBottom, 40);
    form->Show();
    EXPECT_LT(windows.WindowOf(*firstTop)->Bounds.Top, windows.WindowOf(*secondTop)->Bounds.Top);
    EXPECT_GT(windows.WindowOf(*firstBottom)->Bounds.Top,
              windows.WindowOf(*secondBottom)->Bounds.Top);
}

TEST_F(ControlsTest, CheckBoxRaisesClickOnEveryChangeByUserOrCode) {
    auto* box = Add<TCheckBox>();
    std::vector<bool> seen;
    box->OnClick = [&seen, box](TObject*) { seen.push_back(box->Checked()); };
    box->SetChecked(true);
    box->SetChecked(true);  // same state: nothing
    box->UserClick();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST_F(ControlsTest, ComboBoxSelectsNothingOutsideItsEntriesAndRaisesChangeOnlyForTheUser) {
    auto* list = Add<TComboBox>();
    std::vector<int> seen;
    list->OnChange = [&seen, list](TObject*) { seen.push_back(list->ItemIndex()); };
    list->AddItem(u"1");
    list->AddItem(u"2");
    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetItemIndex(2);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetItemIndex(-5);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_TRUE(seen.empty());
    list->UserSelect(0);
    list->UserSelect(0);
    EXPECT_EQ(seen, (std::vector<int>{0, 0}));
    list->UserSelect(7);  // no such entry
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ControlsTest, MenuItemsFlipTheirMarkBeforeTheHandlerAndRadioItemsExcludeEachOther) {
    TPopupMenu menu(form);
    auto make = [&](bool radio) {
        auto* item = new TMenuItem(form);
        item->SetAutoCheck(true);
        item->SetRadioItem(radio);
        item->SetGroupIndex(1);
        menu.Items()->Add(item);
        return item;
    };
    TMenuItem* page = make(true);
    TMenuItem* line = make(true);
    TMenuItem* plain = make(false);
    std::vector<bool> seenByLine;
    line->OnClick = [&](TObject*) { seenByLine.push_back(line->Checked()); };

    page->SetChecked(true);
    plain->SetChecked(true);
    line->Click();
    EXPECT_EQ(seenByLine, std::vector<bool>{true});
    EXPECT_FALSE(page->Checked());
    EXPECT_TRUE(plain->Checked()) << "a plain item of the same group is left alone";

    line->Click();  // the checked radio item unchecks itself first
    EXPECT_EQ(seenByLine, (std::vector<bool>{true, false}));

    line->SetEnabled(false);
    line->Click();
    EXPECT_EQ(seenByLine.size(), 2u);
    EXPECT_FALSE(line->Checked());
}

TEST_F(ControlsTest, StateChangesReachTheWindowsOnceTheyExist) {
    auto* radio = Add<TRadioButton>();
    radio->SetCaption(u"before");
    radio->SetAccessibleName(u"named before");
    EXPECT_EQ(windows.WindowOf(*radio), nullptr) << "no window before the form is shown";
    form->Show();
    const auto* window = windows.WindowOf(*radio);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Text, u"before");
    EXPECT_EQ(window->AccessibleName, u"named before");

    radio->SetCaption(u"after");
    EXPECT_EQ(window->Text, u"after");
    radio->SetAccessibleName(u"named after");
    EXPECT_EQ(window->AccessibleName, u"named after");
    EXPECT_EQ(window->Text, u"after") << "the name is not shown";
    radio->SetEnabled(false);
    EXPECT_FALSE(window->Enabled);
    radio->SetEnabled(true);
    EXPECT_TRUE(window->Enabled);
    group->SetEnabled(false);
    EXPECT_FALSE(windows.WindowOf(*group)->Enabled);
    EXPECT_FALSE(window->Enabled) << "the system does not grey a disabled group's children";
    group->SetEnabled(true);
    EXPECT_TRUE(window->Enabled);

    radio->SetBounds(4, 5, 60, 17);
    EXPECT_EQ(window->Bounds, Bounds(4, 5, 60, 17));
    form->SetClientSize(200, 100);
    EXPECT_EQ(windows.WindowOf(*form)->Bounds.Width(), 200 + 3 + 3) << "client area and frame";
    EXPECT_EQ(windows.WindowOf(*form)->Bounds.Height(), 100 + 26 + 3);
    TFont font = form->Font();
    font.Name = u"Meiryo UI";
    form->SetFont(font);
    EXPECT_EQ(windows.WindowOf(*form)->Font, font);
    windows.MenuFont = u"Segoe UI";
    form->UseMenuFontFace();  // the window exists: the face is taken at once
    EXPECT_EQ(windows.WindowOf(*form)->Font.Name, u"Segoe UI");
}

// ---- text between UTF-8 and UTF-16 -------------------------------------------------

// Each ill-formed sequence becomes one U+FFFD and decoding goes on after it,
// so a damaged file or message loses only what is damaged.
TEST(TextTest, Utf8DecodesEveryLengthAndReplacesWhatIsIllFormed) {
    const char16_t bad = 0xFFFD;
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"A\x7F", u"A\x7F"},
        {std::string(1, '\0'), std::u16string(1, u'\0')},
        {"\xF1\x80\x80\x80", u"\U00040000"},
        {"\xC2\x80\xDF\xBF", u"\u0080\u07FF"},
        {"\xE0\xA0\x80\xEF\xBF\xBF", u"\u0800\uFFFF"},
        {"\xED\x9F\xBF\xEE\x80\x80", u"\uD7FF\uE000"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        // Overlong forms, surrogates and code points past U+10FFFF.
        {"\xC0\x80\xC1\xBF", {bad, bad}},
        {"\xE0\x9F\xBF", {bad}},
        {"\xF0\x8F\xBF\xBF", {bad}},
        {"\xED\xA0\x80\xED\xBF\xBF", {bad, bad}},
        {"\xF4\x90\x80\x80", {bad}},
        {"\xF7\xBF\xBF\xBF", {bad}},
        // Bytes that start nothing, each replaced alone.
        {"\x80" "A\xBF\xF8\xFF" "B", {bad, u'A', bad, bad, bad, u'B'}},
        // A sequence broken off by a byte that continues nothing: that byte
        // starts afresh.
        {"\xE3" "AB", {bad, u'A', u'B'}},
        {"\xE3\x81" "A", {bad, u'A'}},
        {"\xF0\x9F\x98" "A", {bad, u'A'}},
        {"\xC3" "\xC3\xA9", {bad, u'\u00E9'}},
        // Cut off by the end of the text.
        {"A\xC3", {u'A', bad}},
        {"A\xF0\x9F\x98", {u'A', bad}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << ::testing::PrintToString(c.bytes);
    }
    // The end is where the text ends, not where the bytes behind it do.
    const std::string buffer = "\xE3\x81\x82";
    EXPECT_EQ(Utf8ToUtf16(std::string_view(buffer.data(), 2)), std::u16string(1, bad));
    EXPECT_EQ(Utf8ToUtf16(std::string_view(buffer.data(), 1)), std::u16string(1, bad));
}

TEST(TextTest, Utf16EncodesEveryLengthAndReplacesLoneHalves) {
    const struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"A\x7F", "A\x7F"},
        {u"\u0080\u07FF", "\xC2\x80\xDF\xBF"},
        {u"\u0800\uD7FF\uE000\uFFFF", "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"},
        {u"\U00010000\U0001F600\U0010FFFF", "\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"},
        {{u'a', 0xD800}, "a\xEF\xBF\xBD"},
        {{0xDBFF, u'b'}, "\xEF\xBF\xBD" "b"},
        {{0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {{0xDC00, 0xDC00}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {{0xD7FF, 0xDC00}, "\xED\x9F\xBF\xEF\xBF\xBD"},
        {{0xD800, 0xE000}, "\xEF\xBF\xBD\xEE\x80\x80"},
        {u"\U00010000\uE000", "\xF0\x90\x80\x80\xEE\x80\x80"},
        {{0xDFFF}, "\xEF\xBF\xBD"},
        {{0xD800, 0xDBFF, 0xDFFF}, "\xEF\xBF\xBD\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.text), c.bytes) << ::testing::PrintToString(c.bytes);
    }
    const std::u16string pair = u"\U00010000";
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(pair.data(), 1)), "\xEF\xBF\xBD")
        << "a high half that ends the text pairs with nothing behind it";
}

// ---- the failure box ---------------------------------------------------------------

TEST(FailureBoxTextTest, AppendsAFullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(FailureBoxText(u"Disk full"), u"Disk full.");
    EXPECT_EQ(FailureBoxText(u"Done."), u"Done.");
    EXPECT_EQ(FailureBoxText(u"Stop!"), u"Stop!");
    EXPECT_EQ(FailureBoxText(u"(see above)"), u"(see above)");
    EXPECT_EQ(FailureBoxText(u"path/"), u"path/.");
    EXPECT_EQ(FailureBoxText(u"作成できません"), u"作成できません.");
    EXPECT_EQ(FailureBoxText(u"作成できません。"), u"作成できません。.");
    EXPECT_EQ(FailureBoxText(u""), u"");
}

TEST(FailureBoxTest, FailureInAHandlerIsShownOwnedByTheActiveWindowAndTheProgramGoesOn) {
    HeadlessWindowSystem windows;
    TApplication application(windows);
    application.SetTitle(u"Tovel");
    windows.SetActiveWindow(0x1234);
    bool after = false;
    application.HandleEvent([] { throw Exception(u"ファイルがありません"); });
    application.HandleEvent([&after] { after = true; });
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    const auto& box = windows.MessageBoxes()[0];
    EXPECT_EQ(box.Text, u"ファイルがありません.");
    EXPECT_EQ(box.Caption, u"Tovel");
    EXPECT_EQ(box.Style, TMessageBoxStyle::Error);
    EXPECT_EQ(box.Owner, 0x1234u);
    EXPECT_TRUE(after);

    windows.SetActiveWindow(0);
    application.HandleEvent([] { throw std::runtime_error("plain failure"); });
    ASSERT_EQ(windows.MessageBoxes().size(), 2u);
    EXPECT_EQ(windows.MessageBoxes()[1].Text, u"plain failure.");
    EXPECT_EQ(windows.MessageBoxes()[1].Owner, application.Handle())
        << "with no active window the application window owns the box";
}

TEST(ComponentTest, AFormLoadsTheComponentsItOwnsAsItIsMade) {
    std::vector<std::string> log;  // outlives the form, whose part logs its end
    HeadlessWindowSystem windows;
    TApplication application(windows);
    struct OwningForm : TForm {
        OwningForm(TApplication& app, TComponent* owner, std::vector<std::string>& log)
            : TForm(app, owner) {
            new Recorder(this, log, "part");
            OnCreate = [&log](TObject*) { log.push_back("created"); };
        }
    };
    application.CreateForm<OwningForm>(&application, log);
    EXPECT_EQ(log, (std::vector<std::string>{"loaded part", "created"}));
}

TEST(FailureBoxTest, FailingCreationHandlerIsShownAndTheFormStillExists) {
    HeadlessWindowSystem windows;
    TApplication application(windows);
    struct FailingForm : TForm {
        FailingForm(TApplication& app, TComponent* owner) : TForm(app, owner) {
            OnCreate = [](TObject*) { throw Exception(u"broken"); };
        }
    };
    TForm* form = application.CreateForm<FailingForm>(&application);
    EXPECT_EQ(application.MainForm(), form);
    EXPECT_EQ(windows.MessageBoxes().size(), 1u);
}

// ---- the timer component -----------------------------------------------------------

TEST(TimerTest, TicksWhileEnabledRestartsOnANewIntervalAndStopsWithItsObject) {
    HeadlessWindowSystem windows;
    TApplication application(windows);
    auto* timer = new TTimer(application, &application);
    std::vector<std::uint64_t> ticks;
    timer->OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, timer);
        ticks.push_back(windows.Now());
    };
    timer->SetEnabled(false);
    timer->SetInterval(300);
    windows.AdvanceTime(1000);
    EXPECT_EQ(windows.RunningTimers(), 0u);

    timer->SetEnabled(true);
    windows.AdvanceTime(700);
    timer->SetInterval(500);  // the period starts again from now
    windows.AdvanceTime(600);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1300, 1600, 2200}));
    EXPECT_EQ(windows.RunningTimers(), 1u);

    // A failing handler is shown at each tick and the timer goes on.
    timer->OnTimer = [](TObject*) { throw Exception(u"broken"); };
    windows.AdvanceTime(1000);
    EXPECT_EQ(windows.MessageBoxes().size(), 2u);

    delete timer;
    EXPECT_EQ(windows.RunningTimers(), 0u) << "no system timer outlives its component";
    windows.AdvanceTime(2000);
}

// ---- the application window --------------------------------------------------------

class ApplicationTest : public ::testing::Test {
  protected:
    HeadlessWindowSystem windows;
    TApplication application{windows};
    TForm* form = application.CreateForm<TForm>(&application);

    HeadlessAppWindowPeer& AppWindow() {
        application.Handle();
        return *static_cast<HeadlessAppWindowPeer*>(application.Peer());
    }
};

TEST_F(ApplicationTest, NothingIsMadeUntilAWindowIsNeeded) {
    EXPECT_EQ(windows.WindowsCreated(), 0);
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_FALSE(application.HandleAllocated());
}

TEST_F(ApplicationTest, TheTaskbarWindowIsVisibleExactlyWhileAFormIs) {
    application.SetTitle(u"Tovel");
    form->Show();
    EXPECT_TRUE(form->HandleAllocated());
    EXPECT_TRUE(AppWindow().IsVisible());
    EXPECT_EQ(AppWindow().Text(), u"Tovel");
    EXPECT_EQ(AppWindow().Bounds().Width(), 0);
    form->Hide();
    EXPECT_FALSE(AppWindow().IsVisible());
}

TEST_F(ApplicationTest, HooksSeeEveryMessageInOrderAndTheFirstTrueEndsIt) {
    std::vector<std::string> log;
    int a = 0;
    int b = 0;
    application.HookMainWindow(&a, [&log](TMessage&) {
        log.push_back("a");
        return false;
    });
    application.HookMainWindow(&b, [&log](TMessage&) {
        log.push_back("b");
        return true;
    });
    application.HookMainWindow(&a, [&log](TMessage&) {
        log.push_back("a2");
        return false;
    });
    TMessage message{msg::kUser, 0, 0, 0};
    application.Dispatch(message);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));

    log.clear();
    application.UnhookMainWindow(&a);  // the first hook of that owner only
    application.UnhookMainWindow(&b);
    application.Dispatch(message);
    EXPECT_EQ(log, (std::vector<std::string>{"a2"}));
}

TEST_F(ApplicationTest, MinimisingWithTheMainFormShownStandsInForItAndReportsTheSize) {
    std::vector<std::uintptr_t> sizes;
    application.HookMainWindow(this, [&sizes](TMessage& m) {
        if (m.Msg == msg::kSize) {
            sizes.push_back(m.WParam);
        }
        return false;
    });
    form->SetBounds(100, 50, 300, 200);
    form->Show();
    TMessage minimize{msg::kSysCommand, kSysCmdMinimize, 0, 0};
    form->Dispatch(minimize);
    EXPECT_TRUE(AppWindow().IsIconic());
    const auto& requests = AppWindow().Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[requests.size() - 2].substr(0, 6), u"ShowAt");
    EXPECT_NE(requests[requests.size() - 2].find(u",0"), std::u16string::npos) << "zero height";
    EXPECT_EQ(requests.back(), u"default minimize");
    EXPECT_EQ(sizes, std::vector<std::uintptr_t>{kSizeMinimized});

    const std::vector<std::u16string> minimised = AppWindow().Requests();
    application.Minimize();  // already minimised: nothing more
    EXPECT_EQ(sizes.size(), 1u);
    EXPECT_EQ(AppWindow().Requests(), minimised);

    application.Restore();
    EXPECT_FALSE(AppWindow().IsIconic());
    EXPECT_EQ(sizes.back(), kSizeRestored);
}

TEST_F(ApplicationTest, MinimisingWithoutAShownMainFormSkipsTheAnimation) {
    application.SetShowMainForm(false);
    application.Minimize();
    EXPECT_TRUE(AppWindow().IsIconic());
    EXPECT_EQ(AppWindow().Requests().back(), u"Show 6 noanimate");
}

TEST_F(ApplicationTest, RestoreBringsBackAMinimisedHiddenMainForm) {
    form->SetWindowState(TWindowState::wsMinimized);
    application.SetShowMainForm(false);
    application.Minimize();
    // A click on the taskbar button: the system sends the window the command.
    TMessage restore{msg::kSysCommand, kSysCmdRestore, 0, 0};
    AppWindow().Deliver(restore);
    EXPECT_FALSE(AppWindow().IsIconic());
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    EXPECT_TRUE(form->Visible());
}

TEST_F(ApplicationTest, RestoreActsOnlyOnAMinimisedApplicationWindow) {
    application.Restore();
    EXPECT_EQ(windows.WindowsCreated(), 0) << "no window is made only to be restored";

    form->Show();
    const std::vector<std::u16string> before = AppWindow().Requests();
    application.Restore();
    EXPECT_EQ(AppWindow().Requests(), before) << "not minimised: nothing to restore";
}

TEST_F(ApplicationTest, ClosingTheMainFormAsksFirstThenEndsTheLoop) {
    int asked = 0;
    bool allow = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++asked;
        canClose = allow;
    };
    TMessage close{msg::kClose, 0, 0, 0};
    form->Dispatch(close);
    EXPECT_FALSE(application.Terminated());
    allow = true;
    form->Dispatch(close);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(application.Terminated());
    EXPECT_TRUE(windows.QuitPosted());
}

TEST_F(ApplicationTest, EndOfSessionRunsTheCloseQueryAndEndsTheProgram) {
    int asked = 0;
    form->OnCloseQuery = [&asked](TObject*, bool&) { ++asked; };
    TMessage query{msg::kQueryEndSession, 0, 0, 0};
    form->Dispatch(query);
    EXPECT_EQ(query.Result, 1);
    EXPECT_EQ(asked, 1);
    TMessage appQuery{msg::kQueryEndSession, 0, 0, 0};
    application.Dispatch(appQuery);
    EXPECT_EQ(appQuery.Result, 1);

    TMessage cancelled{msg::kEndSession, 0, 0, 0};
    form->Dispatch(cancelled);
    EXPECT_FALSE(application.Terminated());
    TMessage ends{msg::kEndSession, 1, 0, 0};
    form->Dispatch(ends);
    EXPECT_TRUE(application.Terminated());
}

}  // namespace
}  // namespace tovel
