#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/form.h"
#include "framework/graphics.h"
#include "framework/menu.h"
#include "platform/headless/headless_notification_area.h"
#include "platform/headless/headless_window_system.h"
#include "tray/cool_tray_icon.h"
#include "tests/unit/program_icons.h"

namespace tovel::testing {

// A form owning a tray icon on the headless platform, with every event of
// the icon written to a log in the order it fired.
class TrayTest : public ::testing::Test {
  protected:
    headless::HeadlessWindowSystem windows{ProgramIconResources()};
    headless::HeadlessNotificationArea shell;
    TApplication application{windows};
    TForm* form = nullptr;
    TCoolTrayIcon* icon = nullptr;
    std::vector<std::string> log;

    TrayTest() {
        form = application.CreateForm<TForm>(static_cast<TComponent*>(&application));
        icon = new TCoolTrayIcon(application, shell, form);
        windows.CursorPos = TPoint{900, 750};
    }

    // Logs the mouse events (with button, shift and position) and the clicks.
    void LogEvents() {
        auto button = [](TMouseButton b) {
            return b == TMouseButton::mbLeft ? std::string("L")
                   : b == TMouseButton::mbRight ? std::string("R")
                                                : std::string("M");
        };
        icon->OnMouseDown = [this, button](TObject* sender, TMouseButton b, TShiftState shift,
                                           int x, int y) {
            EXPECT_EQ(sender, icon);
            log.push_back("down " + button(b) + " " + std::to_string(shift) + " " +
                          std::to_string(x) + "," + std::to_string(y));
        };
        icon->OnMouseUp = [this, button](TObject* sender, TMouseButton b, TShiftState shift, int,
                                         int) {
            EXPECT_EQ(sender, icon);
            log.push_back("up " + button(b) + " " + std::to_string(shift));
        };
        icon->OnClick = [this](TObject* sender) {
            EXPECT_EQ(sender, icon);
            log.push_back("click");
        };
    }
    void LogDblClick() {
        icon->OnDblClick = [this](TObject* sender) {
            EXPECT_EQ(sender, icon);
            log.push_back("dblclick");
        };
    }

    // The shell tells the shared window about the icon.
    bool Notify(std::uint32_t notification, std::uintptr_t id = 0) {
        TMessage message{TrayCallbackMessage, id != 0 ? id : icon->IconId(),
                         static_cast<std::intptr_t>(notification), 0};
        return windows.SendToMessageWindow(icon->Handle(), message);
    }

    // A popup menu with the given captions on the form.
    TPopupMenu* MakeMenu(std::initializer_list<const char16_t*> captions) {
        auto* menu = new TPopupMenu(form);
        for (const char16_t* caption : captions) {
            auto* item = new TMenuItem(form);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        return menu;
    }

    // An image list of the three tray images.
    TImageList* MakeImages(std::initializer_list<int> resources = {100, 101, 102}) {
        auto* images = new TImageList(windows, form);
        for (int resource : resources) {
            images->AddIconResource(resource);
        }
        return images;
    }

    const headless::HeadlessNotificationArea::Request& LastRequest() const {
        return shell.Requests().back();
    }
    std::u16string LastTip() const { return FieldText(LastRequest().Data.szTip); }
};

}  // namespace tovel::testing
