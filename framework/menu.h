#pragma once

#include <string>
#include <vector>

#include "framework/access_keys.h"
#include "framework/component.h"
#include "framework/events.h"

namespace tovel {

// An entry of a menu. Choosing an enabled item first flips its own check mark
// when AutoCheck is on, then runs OnClick; a disabled item does nothing.
// Radio items of one GroupIndex under the same parent exclude each other.
// Setting a check mark from code raises nothing.
class TMenuItem : public TComponent {
  public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::u16string& Caption() const { return FCaption; }
    void SetCaption(const std::u16string& value) { FCaption = value; }
    // A caption of exactly "-" makes the item a separator line.
    bool IsLine() const { return FCaption == u"-"; }

    bool Checked() const { return FChecked; }
    void SetChecked(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { FVisible = value; }
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool value) { FAutoCheck = value; }
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool value) { FRadioItem = value; }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value) { FGroupIndex = value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value) { FDefault = value; }

    TMenuItem* Parent() const { return FParent; }
    const std::vector<TMenuItem*>& Items() const { return FItems; }
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);

    TNotifyEvent OnClick;

    // Chooses the item: AutoCheck, then OnClick.
    virtual void Click();

    // Gives the items of this item's menu (and of their submenus) the
    // access keys they lack, by changing their captions.
    void RethinkHotkeys();

  private:
    std::u16string FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FAutoCheck = false;
    bool FRadioItem = false;
    int FGroupIndex = 0;
    bool FDefault = false;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
};

// A menu that opens at a point of the screen. Opening it needs the system's
// menu service; until then it is the holder of its items' state.
class TPopupMenu : public TComponent {
  public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return FItems; }

    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }
    bool AutoHotkeys() const { return FAutoHotkeys; }
    void SetAutoHotkeys(bool value) { FAutoHotkeys = value; }
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* value) { FPopupComponent = value; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Called each time just before the menu opens: with AutoHotkeys, the
    // items that lack an access key get one.
    void PreparePopup();

  private:
    TMenuItem* FItems;
    bool FAutoPopup = true;
    bool FAutoHotkeys = true;
    TComponent* FPopupComponent = nullptr;
};

}  // namespace tovel
