#include "ui/main_form.h"

#include "res/resource_ids.h"

namespace tovel {
namespace {

template <typename T>
T* Make(TComponent* owner, const char16_t* name) {
    auto* component = new T(owner);
    component->SetName(name);
    return component;
}

TMenuItem* MakeItem(TComponent* owner, TPopupMenu* menu, const char16_t* name,
                    const char16_t* caption) {
    auto* item = Make<TMenuItem>(owner, name);
    item->SetCaption(caption);
    item->SetGroupIndex(1);
    menu->Items()->Add(item);
    return item;
}

// The words of a group box's caption, without the brackets that frame them on
// screen: the name of the list under it, which no label of its own names.
std::u16string CaptionWords(const std::u16string& caption) {
    if (caption.size() >= 2 && caption.front() == u'[' && caption.back() == u']') {
        return caption.substr(1, caption.size() - 2);
    }
    return caption;
}

}  // namespace

TmainForm::TmainForm(TApplication& application, TmainFormServices services)
    : TForm(application, &application), FServices(services) {
    SetName(u"mainForm");
    BuildComponents();
    WireEvents();
}

TmainForm::~TmainForm() {
    DestroyComponents();
}

void TmainForm::BuildComponents() {
    SetCaption(u"Tovel");
    SetBorderStyle(TBorderStyle::bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(294, 196);

    // Group boxes first, toolbar last: docking, not creation order, decides
    // where each ends up.
    BuildWheelGroup();
    BuildPointerGroup();
    BuildNoActiveGroup();
    BuildToolBar();
    BuildTrayMenu();
    BuildTimer();
    BuildTrayIcon();
}

void TmainForm::BuildWheelGroup() {
    GroupBoxWheel = Make<TGroupBox>(this, u"GroupBoxWheel");
    GroupBoxWheel->SetParent(this);
    GroupBoxWheel->SetCaption(u"[ホイールの１目盛りでスクロールする量]");
    GroupBoxWheel->SetAlign(TAlign::alTop);
    GroupBoxWheel->SetBounds(0, 29, 294, 79);
    GroupBoxWheel->SetTabOrder(0);

    BtnLine = Make<TRadioButton>(this, u"BtnLine");
    BtnLine->SetParent(GroupBoxWheel);
    BtnLine->SetCaption(u"１度に次の行数スクロールする");
    BtnLine->SetAlign(TAlign::alBottom);
    BtnLine->SetBounds(2, 39, 290, 17);
    BtnLine->SetTabOrder(0);

    BtnPage = Make<TRadioButton>(this, u"BtnPage");
    BtnPage->SetParent(GroupBoxWheel);
    BtnPage->SetCaption(u"１画面ずつスクロールする");
    BtnPage->SetAlign(TAlign::alTop);
    BtnPage->SetBounds(2, 15, 290, 17);
    BtnPage->SetTabOrder(1);

    ComboBoxLine = Make<TComboBox>(this, u"ComboBoxLine");
    ComboBoxLine->SetParent(GroupBoxWheel);
    ComboBoxLine->SetStyle(TComboBoxStyle::csDropDownList);
    ComboBoxLine->SetAlign(TAlign::alBottom);
    ComboBoxLine->SetBounds(2, 56, 290, 21);
    ComboBoxLine->SetTabOrder(2);
    ComboBoxLine->SetAccessibleName(CaptionWords(GroupBoxWheel->Caption()));
}

void TmainForm::BuildPointerGroup() {
    GroupBoxPointer = Make<TGroupBox>(this, u"GroupBoxPointer");
    GroupBoxPointer->SetParent(this);
    GroupBoxPointer->SetCaption(u"[ポインターの速度]");
    GroupBoxPointer->SetAlign(TAlign::alTop);
    GroupBoxPointer->SetBounds(0, 108, 294, 47);
    GroupBoxPointer->SetTabOrder(1);

    ComboBoxSpeed = Make<TComboBox>(this, u"ComboBoxSpeed");
    ComboBoxSpeed->SetParent(GroupBoxPointer);
    ComboBoxSpeed->SetStyle(TComboBoxStyle::csDropDownList);
    ComboBoxSpeed->SetAlign(TAlign::alTop);
    ComboBoxSpeed->SetBounds(2, 15, 290, 21);
    ComboBoxSpeed->SetTabOrder(0);
    ComboBoxSpeed->SetAccessibleName(CaptionWords(GroupBoxPointer->Caption()));
}

void TmainForm::BuildNoActiveGroup() {
    GroupBoxNoActive = Make<TGroupBox>(this, u"GroupBoxNoActive");
    GroupBoxNoActive->SetParent(this);
    GroupBoxNoActive->SetCaption(u"[ホバーしたときに非アクティブウィンドウをスクロールする]");
    GroupBoxNoActive->SetAlign(TAlign::alClient);
    GroupBoxNoActive->SetBounds(0, 155, 294, 41);
    GroupBoxNoActive->SetTabOrder(2);

    CHKNoActive = Make<TCheckBox>(this, u"CHKNoActive");
    CHKNoActive->SetParent(GroupBoxNoActive);
    CHKNoActive->SetCaption(u"有効 (*Windows11/10)");
    CHKNoActive->SetAlign(TAlign::alClient);
    CHKNoActive->SetBounds(2, 15, 290, 24);
    CHKNoActive->SetTabOrder(0);
}

void TmainForm::BuildToolBar() {
    ToolBar1 = Make<TToolBar>(this, u"ToolBar1");
    ToolBar1->SetParent(this);
    ToolBar1->SetAlign(TAlign::alTop);
    ToolBar1->SetBounds(0, 0, 294, 29);
    ToolBar1->SetTabOrder(3);
    ToolBar1->SetShowCaptions(true);
    ToolBar1->SetFlat(true);
    ToolBar1->SetWrapable(true);
    ToolBar1->SetButtonSize(97, 21);

    TBSystem = Make<TToolButton>(this, u"TBSystem");
    TBSystem->SetParent(ToolBar1);
    TBSystem->SetCaption(u"システムに書き込む");
    TBSystem->SetAutoSize(true);
    TBSystem->SetImageIndex(0);

    ToolButton2 = Make<TToolButton>(this, u"ToolButton2");
    ToolButton2->SetParent(ToolBar1);
    ToolButton2->SetCaption(u"ToolButton2");
    ToolButton2->SetStyle(TToolButtonStyle::tbsSeparator);
    ToolButton2->SetImageIndex(1);

    ToolButton1 = Make<TToolButton>(this, u"ToolButton1");
    ToolButton1->SetParent(ToolBar1);
    ToolButton1->SetCaption(u"終了");
    ToolButton1->SetAutoSize(true);
    ToolButton1->SetImageIndex(2);
}

void TmainForm::BuildTrayMenu() {
    PPMenu = Make<TPopupMenu>(this, u"PPMenu");
    PPMenu->SetAutoPopup(true);
    PPMenu->SetAutoHotkeys(true);
    PPPage = MakeItem(this, PPMenu, u"PPPage", u"１画面");
    PPPage->SetAutoCheck(true);
    PPPage->SetRadioItem(true);
    PPLine = MakeItem(this, PPMenu, u"PPLine", u"指定行数");
    PPLine->SetAutoCheck(true);
    PPLine->SetRadioItem(true);
    N2 = MakeItem(this, PPMenu, u"N2", u"-");
    PPNoActive = MakeItem(this, PPMenu, u"PPNoActive",
                          u"ホバーしたときに非アクティブウィンドウをスクロールする");
    PPNoActive->SetAutoCheck(true);
    N3 = MakeItem(this, PPMenu, u"N3", u"-");
    PPDisp = MakeItem(this, PPMenu, u"PPDisp", u"ウィンドウを表示");
    N1 = MakeItem(this, PPMenu, u"N1", u"-");
    PPClose = MakeItem(this, PPMenu, u"PPClose", u"終了");
}

void TmainForm::BuildTimer() {
    Timer = new TTimer(*Application(), this);
    Timer->SetName(u"Timer");
    Timer->SetEnabled(false);
    Timer->SetInterval(1000);
}

// The image list comes with the icon: the icon's pictures are the list's.
void TmainForm::BuildTrayIcon() {
    ImageList = new TImageList(Application()->Icons(), this);
    ImageList->SetName(u"ImageList");
    for (int resource : kTrayImageResources) {
        ImageList->AddIconResource(resource);
    }

    TrayIcon = new TCoolTrayIcon(*Application(), FServices.Tray, this);
    TrayIcon->SetName(u"TrayIcon");
    {
        // The stored picture is the neutral image, the one the list shows first.
        TIcon neutral(Application()->Icons());
        neutral.LoadFromResource(kTrayImageResources[0], ImageList->Width());
        TrayIcon->SetIcon(neutral);
    }
    TrayIcon->SetIconList(ImageList);
    TrayIcon->SetIconIndex(0);
    TrayIcon->SetCycleInterval(0);
    TrayIcon->SetPopupMenu(PPMenu);
    TrayIcon->SetMinimizeToTray(true);
}

void TmainForm::WireEvents() {
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnCloseQuery = [this](TObject* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
    Timer->OnTimer = [this](TObject* sender) { TimerTimer(sender); };
    BtnPage->OnClick = [this](TObject* sender) { BtnPageClick(sender); };
    BtnLine->OnClick = [this](TObject* sender) { BtnLineClick(sender); };
    ComboBoxLine->OnChange = [this](TObject* sender) { ComboBoxLineChange(sender); };
    ComboBoxSpeed->OnChange = [this](TObject* sender) { ComboBoxSpeedChange(sender); };
    CHKNoActive->OnClick = [this](TObject* sender) { CHKNoActiveClick(sender); };
    PPPage->OnClick = [this](TObject* sender) { PPPageClick(sender); };
    PPLine->OnClick = [this](TObject* sender) { PPLineClick(sender); };
    PPNoActive->OnClick = [this](TObject* sender) { PPNoActiveClick(sender); };
    PPDisp->OnClick = [this](TObject* sender) { PPDispClick(sender); };
    PPClose->OnClick = [this](TObject* sender) { PPCloseClick(sender); };
    TrayIcon->OnDblClick = [this](TObject* sender) { TrayIconDblClick(sender); };
    TBSystem->OnClick = [this](TObject* sender) { TBSystemClick(sender); };
    ToolButton1->OnClick = [this](TObject* sender) { ToolButton1Click(sender); };
}

void TmainForm::PPCloseClick(TObject* /*Sender*/) {
    Close();
}

void TmainForm::ToolButton1Click(TObject* /*Sender*/) {
    Close();
}

void TmainForm::PPDispClick(TObject* /*Sender*/) {
    TrayIcon->ShowMainForm();
}

}  // namespace tovel
