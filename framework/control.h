#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/geometry.h"
#include "framework/peer.h"

namespace tovel {

class TApplication;
class TForm;
class TWinControl;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The kind of system window a control needs. The control says it, so the
// window system picks the window's peer once, without asking the control's type.
enum class TControlKind { Plain, Form, GroupBox, RadioButton, CheckBox, ComboBox, ToolBar };

// A window procedure as the framework holds it.
using TWndMethod = std::function<void(TMessage& message)>;

// A visible element of a form: geometry, caption, enabled and visible state.
// Every change of state is mirrored to the system through the peer of the
// window that shows the control, once that window exists.
class TControl : public TComponent {
  public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    const std::u16string& Caption() const { return FCaption; }
    void SetCaption(const std::u16string& value);

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);

    // Enabled and visible, and so are all parents: only then can the user
    // reach the control.
    bool EffectivelyEnabled() const;
    bool Showing() const;

    int Left() const { return FBounds.Left; }
    int Top() const { return FBounds.Top; }
    int Width() const { return FBounds.Width(); }
    int Height() const { return FBounds.Height(); }
    const TRect& BoundsRect() const { return FBounds; }
    void SetBounds(int left, int top, int width, int height);
    void SetBoundsRect(const TRect& rect);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value) { FAlign = value; }

    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int value) { FTabOrder = value; }
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);

    // The form this control is shown on, or null while it has no parent.
    TForm* ParentForm() const;

    // Scales the control's edges by n/d (a change of DPI).
    virtual void ChangeScale(int n, int d);

  protected:
    // Tells whoever shows the control to mirror one aspect of its state.
    virtual void Changed(TPeerAspect aspect);
    virtual void EnabledChanged() {}

  private:
    friend class TWinControl;

    TWinControl* FParent = nullptr;
    std::u16string FCaption;
    bool FEnabled = true;
    bool FVisible = true;
    TRect FBounds;
    TAlign FAlign = TAlign::alNone;
    int FTabOrder = -1;
    bool FTabStop = false;
};

// A control with a system window of its own, made when first needed: a form's
// controls get theirs when the form is first shown or a handle is asked for.
class TWinControl : public TControl {
  public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    const std::vector<TControl*>& Controls() const { return FControls; }

    // Whether this kind of control takes the keyboard focus at all; group
    // boxes, toolbars and forms do not.
    virtual bool CanTakeFocus() const { return false; }

    virtual TControlKind ControlKind() const { return TControlKind::Plain; }

    // The name a screen reader gives the control, for one that no label just
    // before it names (a list under a group box's caption, say); nothing on
    // screen shows it. Empty leaves the system's own name.
    const std::u16string& AccessibleName() const { return FAccessibleName; }
    void SetAccessibleName(const std::u16string& value);

    bool HandleAllocated() const { return FPeer != nullptr; }
    // Makes the window (and those of the parents and children) if need be.
    THandle Handle();
    void HandleNeeded();
    TWindowPeer* Peer() const { return FPeer.get(); }

    // The application of the form the control is on (a form answers its
    // own), or null while the control is on no form.
    virtual TApplication* Application() const;

    // Called by the peer for every message of the window; the framework
    // handles what it knows and leaves the rest to the system.
    virtual void WndProc(TMessage& message);

    // Entry point of the peer for every message of the window: a failure
    // inside is shown in the failure box and the program goes on.
    void Dispatch(TMessage& message);

    // The procedure Dispatch hands every message to; it starts as WndProc.
    // A component that must see the window's messages first (the tray icon
    // on its form) keeps the current one, puts its own in, passes on what it
    // does not take, and puts the kept one back when it goes. Replacing it
    // needs no system window, so nothing is made before it is needed.
    TWndMethod WindowProc;

    // A child without a window of its own changed; this window shows it.
    virtual void ChildChanged(TControl& child, TPeerAspect aspect);

    void ChangeScale(int n, int d) override;

  protected:
    // The children's reachability follows this control's.
    void EnabledChanged() override;

  public:
    // Docks the children into the area they fill, then lets each child
    // arrange its own.
    void AlignControls();
    // The part of the control its docked children fill, in its own coordinates.
    virtual TRect ChildArea() const;

  protected:
    void Changed(TPeerAspect aspect) override;
    virtual void CreateHandle();
    virtual void DestroyHandle();

  private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    std::vector<TControl*> FControls;
    std::u16string FAccessibleName;
    std::unique_ptr<TWindowPeer> FPeer;
};

}  // namespace tovel
