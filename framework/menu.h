#pragma once

#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/events.h"

namespace tovel {

// Access keys. "&K" in a caption makes K the key that chooses the item while
// the menu is open; "&&" shows a plain ampersand.

// The characters keys are given from, in order of preference.
inline constexpr char16_t kAccessKeyCharacters[] = u"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The key a caption marks, upper-cased, or 0 when it marks none.
char16_t AccessKeyOf(const std::u16string& caption);

// Whether the caption holds a letter or number of a script without case
// (kana, kanji, hangul, circled numbers...): such a caption cannot show a
// Latin key inside its own text, so a key is appended to it instead.
bool HasOtherLetterOrNumber(const std::u16string& caption);

// Gives every caption that marks no key one of kAccessKeyCharacters that no
// other caption holds: first a character of its own text, marked in place
// (captions served top to bottom); else, for a caption of the scripts above,
// the last free character appended as "(&K)" before a trailing "..."
// (captions served bottom to top). Separators ("-") and empty captions get
// none, and neither does a caption that fits neither way (one ending in an
// unpaired "&", which would mark the appended "(" instead).
std::vector<std::u16string> WithAccessKeys(const std::vector<std::u16string>& captions);

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
