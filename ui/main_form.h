#pragma once

#include <cstdint>

#include <string>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/graphics.h"
#include "framework/menu.h"
#include "framework/std_controls.h"
#include "framework/timer.h"
#include "framework/tool_bar.h"
#include "platform/file_system.h"
#include "platform/notification_area.h"
#include "platform/pointer_settings.h"
#include "platform/system_messages.h"
#include "platform/text_codec.h"
#include "settings/settings_file.h"
#include "settings/varnel.h"
#include "tray/cool_tray_icon.h"

namespace tovel {

// What the main window reaches outside itself.
struct TmainFormServices {
    SystemPointerSettings& PointerSettings;
    Varnel& DataFolder;
    FileSystem& Files;
    TextCodec& Codec;
    SystemMessages& Messages;
    NotificationArea& Tray;
    // The process's whole command line, program path first.
    std::u16string CommandLine;
};

// The program's only window: the three mouse settings, the toolbar, the tray
// icon with its menu, and the wheel mode that all of them mirror.
class TmainForm : public TForm {
  public:
    TmainForm(TApplication& application, TmainFormServices services);
    ~TmainForm() override;

    // Components, owned by the form; published under these names.
    TRadioButton* BtnLine;
    TRadioButton* BtnPage;
    TGroupBox* GroupBoxWheel;
    TComboBox* ComboBoxLine;
    TCoolTrayIcon* TrayIcon;
    TImageList* ImageList;
    TPopupMenu* PPMenu;
    TMenuItem* PPClose;
    TMenuItem* PPDisp;
    TMenuItem* N1;
    TMenuItem* PPPage;
    TMenuItem* PPLine;
    TMenuItem* N3;
    TTimer* Timer;
    TGroupBox* GroupBoxPointer;
    TComboBox* ComboBoxSpeed;
    TGroupBox* GroupBoxNoActive;
    TCheckBox* CHKNoActive;
    TToolBar* ToolBar1;
    TToolButton* TBSystem;
    TToolButton* ToolButton1;
    TToolButton* ToolButton2;
    TMenuItem* PPNoActive;
    TMenuItem* N2;

    // The wheel mode: 0 = one screen per notch, any other value = lines.
    std::int32_t MMode = 0;

    // Bring the system in line with the window, comparing first.
    void ApplyWheelMode();
    void ApplyPointerSpeed();
    void ApplyWheelRouting();

    // Event handlers.
    void FormCreate(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void TimerTimer(TObject* Sender);
    void BtnPageClick(TObject* Sender);
    void BtnLineClick(TObject* Sender);
    void ComboBoxLineChange(TObject* Sender);
    void ComboBoxSpeedChange(TObject* Sender);
    void CHKNoActiveClick(TObject* Sender);
    void PPPageClick(TObject* Sender);
    void PPLineClick(TObject* Sender);
    void PPNoActiveClick(TObject* Sender);
    void PPDispClick(TObject* Sender);
    void PPCloseClick(TObject* Sender);
    void TrayIconDblClick(TObject* Sender);
    void TBSystemClick(TObject* Sender);
    void ToolButton1Click(TObject* Sender);

  private:
    // Values the controller reads from the controls afresh at every use.
    std::int32_t LineCount() const;
    std::int32_t PointerSpeed() const;
    std::int32_t WantedWheelRouting() const;
    bool RoutingOffered() const;

    // The components, made in the order the window declares them; one
    // step a group of controls, each control's stored properties together.
    void BuildComponents();
    void BuildWheelGroup();
    void BuildPointerGroup();
    void BuildNoActiveGroup();
    void BuildToolBar();
    void BuildTrayMenu();
    void BuildTimer();
    void BuildTrayIcon();
    void WireEvents();
    SettingsFile LineCountFile() const;
    // The saved line index for page mode at start; a file that cannot be read
    // is reported and then treated as absent, so the program still starts.
    int SavedLineIndex();

    TmainFormServices FServices;
    // The system's line count at start when the list cannot show it (0, or
    // more than 100): while nothing is selected, it is the count written
    // back, so the user's own value is never replaced by a made-up one.
    std::int32_t FUnlistedLineCount = 0;
    // A save failed on an earlier close request; the next one does not hold
    // the program up again.
    bool FSaveFailed = false;
};

}  // namespace tovel
